// Helpers shared by the test programs under Wine (backend, end-to-end and
// fault tests): the test program's own folder, a temp folder of its own,
// whole-file reads, a file held by another process, programs started,
// registry values listed, and the windows of one process only, since other
// test programs may show windows of the same class and title meanwhile.
#ifndef ZARN_TESTING_WIN32_WIN32_TEST_SUPPORT_H_
#define ZARN_TESTING_WIN32_WIN32_TEST_SUPPORT_H_

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/unique_resource.h"

namespace zarn::win32 {

// True under Wine, whose ntdll exports wine_get_version. Some tests rely
// on what only Wine allows: any process writes HKEY_LOCAL_MACHINE (where
// Wine looks up file associations), a Unix program such as python3 starts
// through CreateProcessW, and the checker's real settings key is free to
// empty. They skip on a real Windows machine.
inline bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr &&
         ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The folder of the running test program, with a trailing backslash: the
// tools are built beside it.
inline std::wstring OwnFolder() {
  wchar_t path[MAX_PATH * 4] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// `name` followed by this process's id, as a folder under the temp folder,
// created when missing; with a trailing backslash. Test programs running
// at the same time get folders of their own.
inline std::wstring MakeOwnTempFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name +
                              std::to_wstring(::GetCurrentProcessId()) + L"\\";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// The whole file as bytes, also while its writer holds it open; nothing
// when it can't be opened.
inline std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::nullopt;
  std::string out;
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) {
    out.append(buffer, n);
  }
  return out;
}

// The whole file, "<unreadable>" when it can't be opened.
inline std::string ReadWholeFile(const std::wstring& path) {
  return ReadFileBytes(path).value_or("<unreadable>");
}

// UTF-16 to UTF-8, for messages and the tools' UTF-8 files.
inline std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                         static_cast<int>(text.size()), nullptr,
                                         0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        out.data(), size, nullptr, nullptr);
  return out;
}

// The whole file once it exists and can be read, "<no file>" when it
// doesn't appear within `ms`. For files that their writer renames into
// place when complete: the writer's handle may still hold the renamed file
// for a moment, so an unreadable file is tried again.
inline std::string AwaitWholeFile(const std::wstring& path, DWORD ms = 15000) {
  const ULONGLONG deadline = ::GetTickCount64() + ms;
  std::string text = "<no file>";
  do {
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      text = ReadWholeFile(path);
      if (text != "<unreadable>") return text;
    }
    ::Sleep(20);
  } while (::GetTickCount64() < deadline);
  return text;
}

// A file_holder.exe that holds a file without sharing: its process, and
// an event that makes it let go at once.
struct FileHolder {
  UniqueHandle process;
  UniqueHandle release;
};

// Starts file_holder.exe from the test program's folder, which opens `path`
// without sharing (creating it when missing) and holds it until `release`
// is set or `ms` milliseconds have passed since it took the file, and
// waits until it holds it. An empty process when it couldn't be started or
// never took the file. The holder says when it holds the file through an
// event: probing the file instead could take it for a moment just when the
// holder tries, and a slow start under load would eat into `ms`.
inline FileHolder StartFileHolder(const std::wstring& path, DWORD ms) {
  static LONG count = 0;
  const std::wstring events = L"Local\\zarn_file_holder_" +
                              std::to_wstring(::GetCurrentProcessId()) + L"_" +
                              std::to_wstring(::InterlockedIncrement(&count));
  UniqueHandle taken(
      ::CreateEventW(nullptr, TRUE, FALSE, (events + L".taken").c_str()));
  FileHolder holder;
  holder.release.reset(
      ::CreateEventW(nullptr, TRUE, FALSE, (events + L".release").c_str()));
  if (!taken || !holder.release) return {};
  std::wstring command = L"\"" + OwnFolder() + L"file_holder.exe\" \"" + path +
                         L"\" " + std::to_wstring(ms) + L" " + events;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
    return {};
  }
  ::CloseHandle(pi.hThread);
  holder.process.reset(pi.hProcess);
  const HANDLE either[] = {taken.get(), holder.process.get()};
  if (::WaitForMultipleObjects(2, either, FALSE, 30000) != WAIT_OBJECT_0) {
    ::TerminateProcess(holder.process.get(), 1);
    return {};
  }
  return holder;
}

// Starts `exe` with `arguments` in `folder` (this process's current folder
// when empty). The new process, its id in `id`; an empty handle when it
// couldn't be started.
inline UniqueHandle StartProgram(const std::wstring& exe,
                                 const std::wstring& arguments,
                                 const std::wstring& folder, DWORD& id) {
  std::wstring command = L"\"" + exe + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, folder.empty() ? nullptr : folder.c_str(),
                        &startup, &info)) {
    return {};
  }
  ::CloseHandle(info.hThread);
  id = info.dwProcessId;
  return UniqueHandle(info.hProcess);
}

// Calls `visit(name, type, data)` for each value of the open registry key
// `key`, in the registry's order; stops at the first value that can't be
// read.
template <typename Visit>
void ForEachRegistryValue(HKEY key, Visit visit) {
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];
    DWORD name_size = 16384;
    DWORD type = 0;
    DWORD data_size = 0;
    if (::RegEnumValueW(key, index, name, &name_size, nullptr, &type, nullptr,
                        &data_size) != ERROR_SUCCESS) {
      break;
    }
    std::vector<BYTE> data(data_size);
    name_size = 16384;
    if (::RegEnumValueW(key, index, name, &name_size, nullptr, &type,
                        data.data(), &data_size) != ERROR_SUCCESS) {
      break;
    }
    data.resize(data_size);
    visit(std::wstring(name, name_size), type, std::move(data));
  }
}

// The first top-level window of process `id` with that class and title
// (either may be null); hidden windows too unless `visible_only`.
inline HWND FindWindowOf(DWORD id, const wchar_t* window_class,
                         const wchar_t* title, bool visible_only = false) {
  HWND window = nullptr;
  while ((window = ::FindWindowExW(nullptr, window, window_class, title))) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == id && (!visible_only || ::IsWindowVisible(window))) {
      return window;
    }
  }
  return nullptr;
}

// FindWindowW, restricted to the top-level windows of this process.
inline HWND FindOwnWindow(const wchar_t* window_class, const wchar_t* title) {
  return FindWindowOf(::GetCurrentProcessId(), window_class, title);
}

}  // namespace zarn::win32

#endif  // ZARN_TESTING_WIN32_WIN32_TEST_SUPPORT_H_
