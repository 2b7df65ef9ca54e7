#include "e2e_support.h"

#include <tlhelp32.h>

namespace zarn::e2e {
namespace {

bool StartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() &&
         ::CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()),
                                prefix.data(), static_cast<int>(prefix.size()),
                                TRUE) == CSTR_EQUAL;
}

bool EqualIgnoreCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && StartsWithIgnoreCase(a, b);
}

std::wstring ImagePathOf(DWORD id) {
  win32::UniqueHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return L"";
  wchar_t path[MAX_PATH * 4] = {};
  DWORD size = MAX_PATH * 4;
  if (!::QueryFullProcessImageNameW(process.get(), 0, path, &size)) return L"";
  return std::wstring(path, size);
}

}  // namespace

std::optional<RegistryValues> ReadKeyValues(const std::wstring& key) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  win32::UniqueRegKey owned(handle);
  RegistryValues values;
  win32::ForEachRegistryValue(
      handle, [&](std::wstring name, DWORD type, std::vector<BYTE> data) {
        values[std::move(name)] = {type, std::move(data)};
      });
  return values;
}

KeyGuard::KeyGuard(std::wstring key)
    : key_(std::move(key)), saved_(ReadKeyValues(key_)) {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
}

KeyGuard::~KeyGuard() {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
  if (!saved_) return;
  HKEY handle = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
    return;
  }
  win32::UniqueRegKey owned(handle);
  for (const auto& [name, value] : *saved_) {
    ::RegSetValueExW(handle, name.c_str(), 0, value.first, value.second.data(),
                     static_cast<DWORD>(value.second.size()));
  }
}

WatchedProcess::WatchedProcess(DWORD id)
    : id_(id),
      process_(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                             FALSE, id)) {}

bool WatchedProcess::running() const {
  return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool WatchedProcess::WaitForExit(DWORD ms) const {
  return process_ && ::WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0;
}

std::optional<int64_t> WatchedProcess::LifetimeMs() const {
  FILETIME created, ended, kernel, user;
  if (!process_ || running() ||
      !::GetProcessTimes(process_.get(), &created, &ended, &kernel, &user)) {
    return std::nullopt;
  }
  auto ticks = [](const FILETIME& t) {
    return (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (ticks(ended) - ticks(created)) / 10000;
}

std::optional<DWORD> WatchedProcess::ExitCode() const {
  DWORD code = 0;
  if (!process_ || running() || !::GetExitCodeProcess(process_.get(), &code)) {
    return std::nullopt;
  }
  return code;
}

WatchedProcess StartProcess(const std::wstring& exe,
                            const std::wstring& arguments,
                            const std::wstring& folder) {
  DWORD id = 0;
  win32::UniqueHandle process = win32::StartProgram(exe, arguments, folder, id);
  if (!process) return {};
  return WatchedProcess(id, process.release());
}

std::vector<DWORD> ProcessesIn(const std::wstring& folder,
                               std::wstring_view exe_name) {
  std::vector<DWORD> ids;
  win32::UniqueHandle snapshot(
      ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
    snapshot.release();
    return ids;
  }
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == ::GetCurrentProcessId()) continue;
    if (!exe_name.empty() && !EqualIgnoreCase(entry.szExeFile, exe_name)) {
      continue;
    }
    if (StartsWithIgnoreCase(ImagePathOf(entry.th32ProcessID), folder)) {
      ids.push_back(entry.th32ProcessID);
    }
  }
  return ids;
}

int EndProcessesIn(const std::wstring& folder) {
  int ended = 0;
  // A process may start another while the first are ended: look again.
  for (int round = 0; round < 5; ++round) {
    const std::vector<DWORD> ids = ProcessesIn(folder);
    if (ids.empty()) break;
    for (DWORD id : ids) {
      win32::UniqueHandle process(
          ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
      if (!process) continue;
      if (::TerminateProcess(process.get(), 99)) ++ended;
      ::WaitForSingleObject(process.get(), 5000);
    }
  }
  // Wine keeps an ended process's image open for a moment.
  WaitUntil([&] { return ProcessesIn(folder).empty(); }, 5000);
  return ended;
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[1024] = {};
  const int n = ::GetWindowTextW(window, buffer, 1024);
  return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
  win32::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0,
                                             nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                     &written, nullptr) &&
         written == bytes.size();
}

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FromUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int size = ::MultiByteToWideChar(
      CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        out.data(), size);
  return out;
}

bool SetClassesDefault(HKEY root, const std::wstring& subkey,
                       const std::wstring& value) {
  const std::wstring path = L"Software\\Classes\\" + subkey;
  return ::RegSetKeyValueW(
             root, path.c_str(), nullptr, REG_SZ, value.c_str(),
             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

void RemoveClasses(const std::wstring& subkey) {
  const std::wstring path = L"Software\\Classes\\" + subkey;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    ::RegDeleteTreeW(root, path.c_str());
  }
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

}  // namespace zarn::e2e
