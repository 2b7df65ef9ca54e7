// Helpers for the end-to-end tests under Wine: the real key of the checker
// saved and restored, processes found by the folder they were started
// from, windows of another process, and polling with a deadline instead
// of fixed sleeps.
#ifndef ZARN_TESTS_E2E_E2E_SUPPORT_H_
#define ZARN_TESTS_E2E_E2E_SUPPORT_H_

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/unique_resource.h"
#include "testing/win32/win32_test_support.h"

namespace zarn::e2e {

// Calls `done` every `step_ms` until it gives true or `ms` have passed;
// gives its last result.
template <typename Predicate>
bool WaitUntil(Predicate done, DWORD ms, DWORD step_ms = 25) {
  const ULONGLONG deadline = ::GetTickCount64() + ms;
  for (;;) {
    if (done()) return true;
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(step_ms);
  }
}

// The values of one registry key: name -> (type, data).
using RegistryValues =
    std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;

// The values under HKEY_CURRENT_USER\`key`; nothing when the key is missing.
std::optional<RegistryValues> ReadKeyValues(const std::wstring& key);

// Saves the values under HKEY_CURRENT_USER\`key` and removes the key, so
// that a test starts with none; puts the saved state back when it goes.
class KeyGuard {
 public:
  explicit KeyGuard(std::wstring key);
  ~KeyGuard();
  KeyGuard(const KeyGuard&) = delete;
  KeyGuard& operator=(const KeyGuard&) = delete;

 private:
  std::wstring key_;
  std::optional<RegistryValues> saved_;
};

// A process this test waits for, opened by its id so that the id can't
// pass to another process meanwhile.
class WatchedProcess {
 public:
  WatchedProcess() = default;
  explicit WatchedProcess(DWORD id);
  WatchedProcess(DWORD id, HANDLE process) : id_(id), process_(process) {}

  DWORD id() const { return id_; }
  bool valid() const { return process_.valid(); }
  bool running() const;
  // Waits up to `ms` for the end; true when it has ended.
  bool WaitForExit(DWORD ms) const;
  // From the process's creation to its end, in milliseconds.
  std::optional<int64_t> LifetimeMs() const;
  std::optional<DWORD> ExitCode() const;

 private:
  DWORD id_ = 0;
  win32::UniqueHandle process_;
};

// Starts `exe` with `arguments` in `folder`; an invalid process on failure.
WatchedProcess StartProcess(const std::wstring& exe,
                            const std::wstring& arguments,
                            const std::wstring& folder);

// The ids of the running processes whose program lies in `folder` (a
// trailing backslash included), optionally only those named `exe_name`.
std::vector<DWORD> ProcessesIn(const std::wstring& folder,
                               std::wstring_view exe_name = {});

// Ends every process whose program lies in `folder` and waits until they
// are gone; gives how many it ended.
int EndProcessesIn(const std::wstring& folder);

// Shared with the backend and fault tests.
using win32::FindWindowOf;
using win32::ReadFileBytes;
using win32::Utf8;

std::wstring WindowText(HWND window);

bool WriteFileBytes(const std::wstring& path, std::string_view bytes);
bool FileExists(const std::wstring& path);

// How often `part` stands in `text`, overlaps included.
size_t Count(const std::string& text, const std::string& part);

// UTF-8 to UTF-16, for the tools' UTF-8 files.
std::wstring FromUtf8(std::string_view text);

// Sets the default value of HKEY_`root`\Software\Classes\`subkey`.
bool SetClassesDefault(HKEY root, const std::wstring& subkey,
                       const std::wstring& value);
// Removes Software\Classes\`subkey` from the machine's and the user's
// classes.
void RemoveClasses(const std::wstring& subkey);

}  // namespace zarn::e2e

#endif  // ZARN_TESTS_E2E_E2E_SUPPORT_H_
