// SimExcel: Excel with the ZARN checker inside, as far as the daemon can
// tell. It keeps the checker's side of the settings-store contract, shows a
// top-level window of class "XLMain", starts the daemon, reports as its
// scenario says, and records what happens in a plain event log.
//
//   SimExcel.exe [/r] WORKBOOK.zsim   run a scenario (the daemon adds /r)
//   SimExcel.exe /register            associate .zsim with this program
//   SimExcel.exe /unregister          remove what /register wrote
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>

#include "association.h"
#include "common/date_time.h"
#include "platform/settings_store.h"
#include "platform/win32/system_time.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_regional.h"
#include "platform/win32/win32_settings_store.h"
#include "scenario.h"

namespace zarn::sim {
namespace {

// A simulation never outlives this, whatever its scenario says.
constexpr ULONGLONG kMaxLifetimeMs = 10 * 60 * 1000;

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

std::wstring OwnPath() {
  wchar_t buffer[MAX_PATH * 4] = {};
  ::GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
  return buffer;
}

std::wstring FullPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH * 4] = {};
  const DWORD n =
      ::GetFullPathNameW(path.c_str(), MAX_PATH * 4, buffer, nullptr);
  return n == 0 ? path : std::wstring(buffer, n);
}

// C:\..., \\server\share\... and \... (the current drive's root).
bool IsAbsolute(const std::wstring& path) {
  return (path.size() > 1 && path[1] == L':') ||
         (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
}

class EventLog {
 public:
  explicit EventLog(std::wstring path) : path_(std::move(path)) {}
  void Write(const std::wstring& event) const {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    Write(st, event);
  }
  // A line stamped with the local time `st` rather than now.
  void Write(const SYSTEMTIME& st, const std::wstring& event) const {
    wchar_t stamp[64];
    swprintf(stamp, 64, L"%04u-%02u-%02u %02u:%02u:%02u.%03u ", st.wYear,
             st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
             st.wMilliseconds);
    const std::wstring line = stamp + event + L"\r\n";
    const std::u16string text(line.begin(), line.end());
    const std::string bytes = win32::ToAnsi(text);
    win32::UniqueFileHandle file(::CreateFileW(
        path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                &written, nullptr);
  }

 private:
  std::wstring path_;
};

std::u16string U16(const std::wstring& s) { return {s.begin(), s.end()}; }
std::wstring W(const std::u16string& s) { return {s.begin(), s.end()}; }

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

HWND CreateExcelWindow(const std::wstring& caption, HWND* label) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"XLMain";  // Excel's main-window class
  ::RegisterClassW(&wc);
  HWND hwnd =
      ::CreateWindowExW(0, L"XLMain", caption.c_str(), WS_OVERLAPPEDWINDOW, 40,
                        40, 420, 120, nullptr, nullptr, wc.hInstance, nullptr);
  *label = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10,
                             390, 60, hwnd, nullptr, wc.hInstance, nullptr);
  ::SendMessageW(*label, WM_SETFONT,
                 reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
  return hwnd;
}

// The activity at `elapsed_ms`: each activity of the list for its
// seconds, then the list again; an activity of 0 seconds, once reached,
// lasts for ever.
std::wstring ActivityAt(const Phase& phase, ULONGLONG elapsed_ms) {
  ULONGLONG cycle = 0;
  bool endless = false;
  for (const auto& activity : phase.activities) {
    if (activity.second == 0) {
      endless = true;
      break;
    }
    cycle += static_cast<ULONGLONG>(activity.second) * 1000;
  }
  ULONGLONG t = endless ? elapsed_ms : elapsed_ms % cycle;
  for (const auto& [name, seconds] : phase.activities) {
    const ULONGLONG length = static_cast<ULONGLONG>(seconds) * 1000;
    if (seconds == 0 || t < length) return name;
    t -= length;
  }
  return phase.activities.back().first;
}

int Run(bool read_only, const std::wstring& workbook_arg) {
  const std::wstring workbook = FullPath(workbook_arg);
  Scenario scenario;
  std::wstring error;
  const bool loaded = LoadScenario(workbook, scenario, error);
  const std::wstring log_path = IsAbsolute(scenario.log)
                                    ? scenario.log
                                    : FolderOf(workbook) + scenario.log;
  EventLog log(log_path);
  if (!loaded) {
    log.Write(L"error " + error);
    return 2;
  }
  // A relative folder lies beside the workbook, like the log: started
  // through the association, SimExcel runs in no folder of its own.
  std::wstring daemon_folder =
      scenario.daemon_folder.empty() ? FolderOf(OwnPath())
      : IsAbsolute(scenario.daemon_folder)
          ? FullPath(scenario.daemon_folder)
          : FullPath(FolderOf(workbook) + scenario.daemon_folder);
  if (!daemon_folder.empty() && daemon_folder.back() != L'\\') {
    daemon_folder += L'\\';
  }

  auto store = NewWin32SettingsStore();
  auto regional = NewWin32Regional();
  const DWORD pid = ::GetCurrentProcessId();
  log.Write(L"start pid=" + std::to_wstring(pid) + L" args=" +
            (read_only ? L"/r " : L"") + L"\"" + workbook + L"\"");
  // The moment the system created this process, which is when whoever
  // started us (the daemon, after a restart) handed us over; the start
  // line above comes later by the time Windows takes to load a program.
  FILETIME created, exited, kernel, user;
  SYSTEMTIME created_utc, created_local;
  if (::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel,
                        &user) &&
      ::FileTimeToSystemTime(&created, &created_utc) &&
      ::SystemTimeToTzSpecificLocalTime(nullptr, &created_utc,
                                        &created_local)) {
    log.Write(created_local, L"created");
  }

  // After a restart the daemon leaves StartedByDaemon and COMMAND for us;
  // clearing StartedByDaemon is the checker's business.
  const bool restarted =
      store->ReadSetting(settings::kStartedByDaemon, u"") == u"True";
  if (restarted) {
    const std::u16string command = store->ReadSetting(settings::kCommand, u"");
    store->WriteSetting(settings::kStartedByDaemon, u"");
    log.Write(L"restarted COMMAND=\"" + W(command) + L"\"");
  }
  const Phase& phase = restarted ? scenario.restarted : scenario.first;

  HWND label = nullptr;
  HWND hwnd = CreateExcelWindow(scenario.caption, &label);
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);

  std::wstring exec = workbook;
  if (exec.size() > daemon_folder.size() &&
      _wcsnicmp(exec.c_str(), daemon_folder.c_str(), daemon_folder.size()) ==
          0) {
    exec = exec.substr(daemon_folder.size());
  }
  store->WriteSetting(settings::kLiveStatusCaption, U16(scenario.caption));
  store->WriteSetting(settings::kLiveStatusExec, U16(exec));
  store->WriteSetting(settings::kLiveStatus, u"");
  const std::u16string ids = store->ReadSetting(settings::kProcessIds, u"");
  store->WriteSetting(settings::kProcessIds,
                      ids + u"(" + U16(std::to_wstring(pid)) + u")");

  const ULONGLONG start = ::GetTickCount64();
  auto report = [&](ULONGLONG elapsed) {
    const std::wstring activity = ActivityAt(phase, elapsed);
    store->WriteSetting(settings::kLiveStatusFunc, U16(activity));
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    const std::u16string when =
        regional->FormatDateTime(win32::FromSystemTime(st));
    store->WriteSetting(settings::kLiveStatusTime, when);
    ::SetWindowTextW(label, (L"Meldet: " + activity + L"\n" + W(when)).c_str());
    return W(when);
  };
  // A checker that falls silent at once never reports at all. The reported
  // time, to the second, is logged for the benchmark of the reaction.
  if (phase.silent_after != 0) log.Write(L"report " + report(0));

  if (phase.start_daemon) {
    store->WriteSetting(settings::kDaemonCommand, U16(scenario.command));
    std::wstring command_line = L"\"" + daemon_folder + L"ZARNDaemon.exe\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE,
                         0, nullptr, daemon_folder.c_str(), &si, &pi)) {
      ::CloseHandle(pi.hThread);
      ::CloseHandle(pi.hProcess);
      log.Write(L"daemon started pid=" + std::to_wstring(pi.dwProcessId));
    } else {
      log.Write(L"daemon not started error=" +
                std::to_wstring(::GetLastError()));
    }
  }

  bool silent = false;
  ULONGLONG next_report =
      start + static_cast<ULONGLONG>(phase.report_interval_ms);
  for (;;) {
    const ULONGLONG now = ::GetTickCount64();
    const ULONGLONG elapsed = now - start;
    if (elapsed > kMaxLifetimeMs) {
      log.Write(L"lifetime over");
      return 3;
    }
    if (phase.finish_after >= 0 &&
        elapsed >= static_cast<ULONGLONG>(phase.finish_after) * 1000) {
      store->WriteSetting(settings::kLiveStatus, u"Finished");
      log.Write(L"finished");
      ::DestroyWindow(hwnd);
      return 0;
    }
    if (!silent && phase.silent_after >= 0 &&
        elapsed >= static_cast<ULONGLONG>(phase.silent_after) * 1000) {
      silent = true;
      log.Write(L"silent");
      ::SetWindowTextW(label, L"Reagiert nicht");
    }
    if (!silent && now >= next_report) {
      report(elapsed);
      next_report += static_cast<ULONGLONG>(phase.report_interval_ms);
    }
    // Wake for the next report, and for the moments the scenario falls
    // silent or finishes: a long report interval must not delay them.
    ULONGLONG wake = silent ? now + 200 : next_report;
    if (!silent && phase.silent_after >= 0) {
      wake = std::min(
          wake, start + static_cast<ULONGLONG>(phase.silent_after) * 1000);
    }
    if (phase.finish_after >= 0) {
      wake = std::min(
          wake, start + static_cast<ULONGLONG>(phase.finish_after) * 1000);
    }
    const DWORD wait = static_cast<DWORD>(wake > now ? wake - now : 0);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        log.Write(L"closed");
        return 0;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

}  // namespace
}  // namespace zarn::sim

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv == nullptr) return 2;
  int result = 2;
  if (argc == 2 && _wcsicmp(argv[1], L"/register") == 0) {
    result = zarn::sim::Register(zarn::sim::OwnPath());
  } else if (argc == 2 && _wcsicmp(argv[1], L"/unregister") == 0) {
    result = zarn::sim::Unregister();
  } else if (argc == 3 && _wcsicmp(argv[1], L"/r") == 0) {
    result = zarn::sim::Run(true, argv[2]);
  } else if (argc == 2) {
    result = zarn::sim::Run(false, argv[1]);
  }
  ::LocalFree(argv);
  return result;
}
