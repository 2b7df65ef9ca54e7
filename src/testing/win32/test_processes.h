// For the tests of process control only: stand-in processes made from
// proc_helper.exe under chosen names, ended again when their owner goes,
// whether the test passed or not.
#ifndef ZARN_TESTING_WIN32_TEST_PROCESSES_H_
#define ZARN_TESTING_WIN32_TEST_PROCESSES_H_

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/unique_resource.h"
#include "testing/win32/win32_test_support.h"

namespace zarn::win32_test {

// A running copy of proc_helper.exe. Moving hands the process over; the
// last owner ends it.
class HelperProcess {
 public:
  // Copies proc_helper.exe to a folder of its own as `exe_name` and starts
  // it with `arguments`. With --window, waits until the window exists.
  // running() is false when it couldn't be started.
  HelperProcess(std::wstring_view exe_name, std::wstring_view arguments = L"")
      : path_(win32::OwnFolder() + L"proc_helpers\\" + std::wstring(exe_name)) {
    const std::wstring source = win32::OwnFolder() + L"proc_helper.exe";
    ::CreateDirectoryW((win32::OwnFolder() + L"proc_helpers").c_str(), nullptr);
    // A fresh copy keeps the letter case of `exe_name` (overwriting would
    // keep the old file's); a copy still in use that can't be replaced is
    // started as it is. A helper of the previous test may hold the old
    // copy for a moment after it ended: copy and start are tried again for
    // a few seconds.
    std::wstring command = L"\"" + path_ + L"\" " + std::wstring(arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    bool started = false;
    for (int attempt = 0; attempt < 50 && !started; ++attempt) {
      if (attempt > 0) ::Sleep(100);
      ::DeleteFileW(path_.c_str());
      if (!::CopyFileW(source.c_str(), path_.c_str(), FALSE) &&
          ::GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES) {
        continue;
      }
      started = ::CreateProcessW(path_.c_str(), command.data(), nullptr,
                                 nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &info) != FALSE;
    }
    if (!started) return;
    ::CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
  }
  HelperProcess(HelperProcess&&) = default;
  HelperProcess& operator=(HelperProcess&&) = default;
  ~HelperProcess() { End(); }

  uint32_t id() const { return id_; }
  bool running() const {
    return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
  }
  // Waits up to `ms` for the process to end; its exit code, or nothing.
  bool WaitForExit(DWORD ms, DWORD* exit_code = nullptr) const {
    if (!process_ ||
        ::WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) {
      return false;
    }
    if (exit_code) ::GetExitCodeProcess(process_.get(), exit_code);
    return true;
  }
  void End() {
    if (!process_) return;
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), 10000);
    process_.reset();
  }

 private:
  std::wstring path_;
  win32::UniqueHandle process_;
  uint32_t id_ = 0;
};

// Waits until no process object of `id` is left. Wine keeps an ended
// process openable for some 0.5 s, and TerminateProcess on it succeeds.
inline bool WaitUntilGone(uint32_t id, DWORD ms = 15000) {
  const ULONGLONG deadline = ::GetTickCount64() + ms;
  do {
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return true;
    ::CloseHandle(process);
    ::Sleep(50);
  } while (::GetTickCount64() < deadline);
  return false;
}

// Polls for a top-level window, since WaitForInputIdle can't be trusted
// under Wine: a window appears about 0.2 s after its process starts.
inline bool WaitForWindow(const wchar_t* class_name, const wchar_t* title,
                          DWORD ms = 15000) {
  const ULONGLONG deadline = ::GetTickCount64() + ms;
  do {
    if (::FindWindowW(class_name, title)) return true;
    ::Sleep(20);
  } while (::GetTickCount64() < deadline);
  return false;
}

}  // namespace zarn::win32_test

#endif  // ZARN_TESTING_WIN32_TEST_PROCESSES_H_
