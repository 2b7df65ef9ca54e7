// Runs the real ZARNDaemon.exe for the fault tests: a folder of its own
// with a copy of the daemon and of fakeexcel.exe, a workbook type
// associated with that copy (so a restart is seen in fakeexcel.exe's
// record), and the daemon's process with its window and buttons.
#ifndef ZARN_TESTS_FAULTS_DAEMON_HARNESS_H_
#define ZARN_TESTS_FAULTS_DAEMON_HARNESS_H_

#include <windows.h>

#include <string>
#include <vector>

#include "common/date_time.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/win32_status_view.h"
#include "testing/win32/test_association.h"

namespace zarn::faults {

// Milliseconds of a monotonic clock.
inline ULONGLONG Ticks() { return ::GetTickCount64(); }

// The current local time, to the second, and a time as a report in
// LiveStatusTime that the daemon reads under any regional settings.
DateTime LocalNow();
std::wstring ReportText(DateTime when);

// A fresh folder under %TEMP% with ZARNDaemon.exe and fakeexcel.exe, and
// the workbook type of this test program associated with the copy of
// fakeexcel.exe, machine-wide and per user. Everything goes afterwards.
class AppFolder {
 public:
  AppFolder();
  ~AppFolder();
  AppFolder(const AppFolder&) = delete;
  AppFolder& operator=(const AppFolder&) = delete;

  // With a trailing backslash.
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const {
    return path_ + name;
  }
  const std::wstring& daemon() const { return daemon_; }
  // The workbook's name relative to the folder, for LiveStatusExec.
  const std::wstring& workbook() const { return workbook_; }

  bool WriteFile(const std::wstring& name, const std::string& bytes) const;
  // The configuration beside the daemon: [ZARN] with the three limits.
  bool WriteLimits(const std::string& cancel, const std::string& load = "",
                   const std::string& special_cells = "") const;
  std::string ReadFile(const std::wstring& name) const;
  bool Exists(const std::wstring& name) const;

  // fakeexcel.exe's record of its start; empty while there is none.
  std::string ExcelRecord() const;

 private:
  std::wstring path_;
  std::wstring daemon_;
  std::wstring excel_;
  std::wstring workbook_;
  win32::TestAssociation association_{L"zarnfault"};
};

// The daemon's process, started from its folder; ended when its owner goes
// should it still run.
class DaemonProcess {
 public:
  explicit DaemonProcess(const AppFolder& app, const std::wstring& args = L"");
  ~DaemonProcess();
  DaemonProcess(const DaemonProcess&) = delete;
  DaemonProcess& operator=(const DaemonProcess&) = delete;

  bool started() const { return process_.valid(); }
  DWORD id() const { return id_; }
  bool running() const;
  // Waits up to `ms`; the exit code, or -1 when it still runs.
  long WaitForExit(DWORD ms) const;
  ULONGLONG exit_ticks() const { return exit_ticks_; }

  // The status window of this process, once shown; null after `ms`.
  HWND WaitForWindow(DWORD ms) const;
  // A top-level dialog window (message box) of this process; null after
  // `ms`.
  HWND WaitForMessageBox(DWORD ms) const;
  // The text of a control of the status window.
  std::wstring ControlText(HWND window, int id) const;
  // Presses a button of the status window as a click would.
  void Click(HWND window, int id) const;

 private:
  HWND FindOwnTopLevel(const wchar_t* window_class, const wchar_t* title) const;

  win32::UniqueHandle process_;
  DWORD id_ = 0;
  mutable ULONGLONG exit_ticks_ = 0;
};

// Another tool of the build, started with `args`; ended when its owner goes
// should it still run.
class ToolProcess {
 public:
  ToolProcess(const std::wstring& exe, const std::wstring& args);
  ~ToolProcess();
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  bool started() const { return process_.valid(); }
  DWORD id() const { return id_; }
  bool running() const;
  long WaitForExit(DWORD ms) const;

 private:
  win32::UniqueHandle process_;
  DWORD id_ = 0;
};

// Waits until `done` holds, polling every 20 ms; false after `ms`.
template <typename Predicate>
bool WaitUntil(Predicate done, DWORD ms) {
  const ULONGLONG deadline = Ticks() + ms;
  while (!done()) {
    if (Ticks() >= deadline) return false;
    ::Sleep(20);
  }
  return true;
}

// The lines of a CR LF text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace zarn::faults

#endif  // ZARN_TESTS_FAULTS_DAEMON_HARNESS_H_
