// Helpers shared by the backend tests under Wine: the test program's own
// folder, whole-file reads, and windows of this process only, since other
// test programs may show windows of the same class and title meanwhile.
#ifndef ZARN_PLATFORM_WIN32_WIN32_TEST_SUPPORT_H_
#define ZARN_PLATFORM_WIN32_WIN32_TEST_SUPPORT_H_

#include <windows.h>

#include <string>

#include "platform/win32/unique_resource.h"

namespace zarn::win32 {

// The folder of the running test program, with a trailing backslash: the
// tools are built beside it.
inline std::wstring OwnFolder() {
  wchar_t path[MAX_PATH * 4] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

inline std::string ReadWholeFile(const std::wstring& path) {
  UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "<unreadable>";
  std::string out;
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) {
    out.append(buffer, n);
  }
  return out;
}

// FindWindowW, restricted to the top-level windows of this process.
inline HWND FindOwnWindow(const wchar_t* window_class, const wchar_t* title) {
  HWND window = nullptr;
  while ((window = ::FindWindowExW(nullptr, window, window_class, title))) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) return window;
  }
  return nullptr;
}

}  // namespace zarn::win32

#endif  // ZARN_PLATFORM_WIN32_WIN32_TEST_SUPPORT_H_
