// Measures ZARNDaemon.exe against two floors, all three in FOLDER, for
// scripts/bench; prints one "key value..." line per figure, the programs
// always in this order: daemon, form, floor.
//   - form: floor_form.exe, the daemon's form and its once-a-second upkeep;
//   - floor: floor.exe, an empty window and the one-second loop.
//
//   bench_meter.exe startup RUNS FOLDER
//     per run, each program once, the order turning from run to run:
//     milliseconds from CreateProcess to the window shown (and, for the
//     daemon, DAEMONCOMMAND taken), polled every 1 ms: "startup NAME MS".
//     A floor.exe shown first brings Wine's desktop up and is not timed.
//   bench_meter.exe idle SECONDS FOLDER
//     starts all three, the daemon supervising a checker that reports
//     every 10 s under a long limit (as its form then changes one label a
//     second, like the form floor's); after 3 s prints "begin", waits
//     SECONDS, prints their CPU seconds in that time (GetProcessTimes) and
//     their peak working sets (GetProcessMemoryInfo, opened by id), then
//     "end", and closes all three.
//   bench_meter.exe ops RUNS FOLDER
//     the CPU time (GetThreadTimes, this thread, in 10 ms ticks under Wine)
//     and the wall time of each backend operation that a supervision cycle
//     makes, averaged over RUNS calls: "op NAME CPU_US WALL_US". The status
//     window is made in this process, under the daemon's manifest.
//   bench_meter.exe restart 1 FOLDER
//     the wall time of each step of one restart, as the daemon makes them
//     at its end, each for the first time in a fresh process with its
//     status window up: "restart STEP MS". A floor.exe started beforehand
//     stands for the hung checker in ProcessIDs; the launch starts a
//     hidden floor.exe through CreateProcess, as the daemon starts Excel,
//     after looking up the association of FOLDER\Reaktion.zsim (which
//     SimExcel.exe /register makes).
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "common/date_time.h"
#include "common/text.h"
#include "paths/helpers.h"
#include "paths/unc.h"
#include "platform/settings_store.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_regional.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_status_view.h"
#include "process/excel_cleanup.h"
#include "programs.h"
#include "watchdog/daemon_log.h"

namespace zarn::bench {
namespace {

void Report(zarn::SettingsStore& store) {
  store.WriteSetting(zarn::settings::kLiveStatusTime,
                     zarn::NewWin32Regional()->FormatDateTime(
                         zarn::NewWin32Clock()->Read().local));
}

void HandOver(zarn::SettingsStore& store) {
  store.WriteSetting(zarn::settings::kLiveStatus, u"");
  store.WriteSetting(zarn::settings::kLiveStatusFunc, u"Analyse");
  Report(store);
  store.WriteSetting(zarn::settings::kDaemonCommand, u"BENCH");
}

int StartUp(int runs, const std::wstring& folder) {
  auto store = zarn::NewWin32SettingsStore();
  // The first window of a session brings Wine's desktop up; not timed,
  // and kept open until the runs are done.
  const Program& warm_up = kPrograms[kProgramCount - 1];
  Child warm = Start(folder, warm_up.exe);
  const double warm_start = Now();
  while (warm.process && Now() - warm_start < 30000 &&
         !MainWindow(warm_up, warm.id)) {
    ::Sleep(10);
  }
  for (int run = 0; run < runs; ++run) {
    for (int i = 0; i < kProgramCount; ++i) {
      const Program& program = kPrograms[(run + i) % kProgramCount];
      if (program.daemon) HandOver(*store);
      const double start = Now();
      Child child = Start(folder, program.exe);
      if (!child.process) return 2;
      double shown = -1;
      while (Now() - start < 30000) {
        if (MainWindow(program, child.id) &&
            (!program.daemon ||
             store->ReadSetting(zarn::settings::kDaemonCommand, u"?")
                 .empty())) {
          shown = Now() - start;
          break;
        }
        ::Sleep(1);
      }
      std::printf("startup %s %.1f\n", program.name, shown);
      std::fflush(stdout);
      Close(program, child);
      ::Sleep(300);
    }
  }
  Close(warm_up, warm);
  return 0;
}

// A FILETIME span in 100-nanosecond ticks.
ULONGLONG Ticks(FILETIME t) {
  return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

double CpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  return static_cast<double>(Ticks(kernel) + Ticks(user)) / 1e7;
}

SIZE_T PeakWorkingSet(DWORD id) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!process) return 0;
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  const BOOL ok = ::GetProcessMemoryInfo(process, &counters, sizeof counters);
  ::CloseHandle(process);
  return ok ? counters.PeakWorkingSetSize : 0;
}

int Idle(int seconds, const std::wstring& folder) {
  auto store = zarn::NewWin32SettingsStore();
  HandOver(*store);
  Child children[kProgramCount];
  for (int i = 0; i < kProgramCount; ++i) {
    children[i] = Start(folder, kPrograms[i].exe);
  }
  const auto all_shown = [&] {
    for (int i = 0; i < kProgramCount; ++i) {
      if (!MainWindow(kPrograms[i], children[i].id)) return false;
    }
    return true;
  };
  const double start = Now();
  while (Now() - start < 30000 && !all_shown()) ::Sleep(20);
  std::printf("pids");
  for (const Child& child : children) std::printf(" %lu", child.id);
  std::printf("\n");
  ::Sleep(3000);
  double cpu[kProgramCount];
  for (int i = 0; i < kProgramCount; ++i) {
    cpu[i] = CpuSeconds(children[i].process);
  }
  std::printf("begin\n");
  std::fflush(stdout);
  // The checker's reports keep the daemon's status at "Überwache...".
  for (int elapsed = 0; elapsed < seconds; elapsed += 10) {
    Report(*store);
    ::Sleep(static_cast<DWORD>(std::min(10, seconds - elapsed)) * 1000);
  }
  std::printf("cpu");
  for (int i = 0; i < kProgramCount; ++i) {
    std::printf(" %.3f", CpuSeconds(children[i].process) - cpu[i]);
  }
  std::printf("\npeak_ws");
  for (const Child& child : children) {
    std::printf(" %llu",
                static_cast<unsigned long long>(PeakWorkingSet(child.id)));
  }
  std::printf("\nend\n");
  std::fflush(stdout);
  for (int i = 0; i < kProgramCount; ++i) Close(kPrograms[i], children[i]);
  return 0;
}

double ThreadCpuMicroseconds() {
  FILETIME created, exited, kernel, user;
  ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
  return static_cast<double>(Ticks(kernel) + Ticks(user)) / 10.0;
}

template <typename Operation>
void TimeOperation(const char* name, int runs, Operation operation) {
  const double start = ThreadCpuMicroseconds();
  const double wall = Now();
  for (int run = 0; run < runs; ++run) operation(run);
  std::printf("op %s %.1f %.1f\n", name,
              (ThreadCpuMicroseconds() - start) / runs,
              (Now() - wall) * 1000 / runs);
  std::fflush(stdout);
}

// What one cycle is made of, one backend call at a time, in this process
// with a status window of its own.
int Operations(int runs) {
  auto store = zarn::NewWin32SettingsStore();
  auto regional = zarn::NewWin32Regional();
  auto clock = zarn::NewWin32Clock();
  HandOver(*store);
  const std::u16string report =
      store->ReadSetting(zarn::settings::kLiveStatusTime, u"");
  TimeOperation("ReadSetting", runs, [&](int) {
    store->ReadSetting(zarn::settings::kLiveStatusTime, u"");
  });
  TimeOperation("ParseDateTime", runs,
                [&](int) { regional->ParseDateTime(report); });
  TimeOperation("FormatSpan", runs,
                [&](int run) { regional->FormatSpan(run % 86400); });
  TimeOperation("ClockRead", runs, [&](int) { clock->Read(); });
  // Once for each new report.
  const zarn::DateTime reported = clock->Read().local;
  TimeOperation("LocalToUtc", runs,
                [&](int run) { clock->LocalToUtc(reported - run); });
  auto view = zarn::NewWin32StatusView();
  if (!view->Show()) return 2;
  zarn::ButtonFlags flags;
  TimeOperation("ProcessPendingEvents", runs,
                [&](int) { view->ProcessPendingEvents(flags); });
  TimeOperation("SetCaptionSame", runs, [&](int) {
    view->SetCaption(zarn::StatusLabel::kStatus, u"\u00dcberwache...");
    view->ProcessPendingEvents(flags);
  });
  TimeOperation("SetCaptionNew", runs, [&](int run) {
    view->SetCaption(zarn::StatusLabel::kStatus2, regional->FormatSpan(run));
    view->ProcessPendingEvents(flags);
  });
  view->Unload();
  return 0;
}

// One restart's steps, each timed on its own, in the order the daemon
// makes them.
int RestartSteps(const std::wstring& folder) {
  const Program& hung_program = kPrograms[kProgramCount - 1];
  Child hung = Start(folder, hung_program.exe);
  const double started = Now();
  while (hung.process && Now() - started < 30000 &&
         !MainWindow(hung_program, hung.id)) {
    ::Sleep(10);
  }
  auto win32 = zarn::NewWin32Platform();
  zarn::Platform& platform = win32->platform();
  if (!platform.status_view.Show()) return 2;
  zarn::ButtonFlags flags;
  platform.status_view.ProcessPendingEvents(flags);
  zarn::SettingsStore& store = platform.settings;
  std::u16string ids(u"(");
  ids += zarn::ToDecimal(hung.id);
  ids += u')';
  store.WriteSetting(zarn::settings::kProcessIds, ids);
  const std::u16string log_path =
      zarn::win32::FromWide(folder + L"\\restart-steps.log");
  zarn::Unc unc(platform.network_drives);
  zarn::Helpers helpers(platform.file_system, platform.http, unc);
  zarn::DaemonLog log(helpers, platform.file_appender, platform.clock,
                      platform.regional, platform.code_pages);
  log.set_path(log_path);
  zarn::ExcelCleanUp cleanup(platform.settings, platform.processes,
                             platform.windows, platform.user_name, platform.wmi,
                             platform.regional);

  // Two seconds ahead of the deadline, the daemon readies the clean-up.
  const double prepare = Now();
  cleanup.PrepareCleanUp();
  std::printf("restart prepared_ahead %.2f\n", Now() - prepare);
  ::Sleep(500);

  const double begin = Now();
  double mark = begin;
  const auto step = [&](const char* name) {
    const double now = Now();
    std::printf("restart %s %.2f\n", name, now - mark);
    mark = now;
  };
  store.ReadSetting(zarn::settings::kLiveStatusCaption, u"");
  cleanup.IsExcelWindowOpen(u"ZARN Bench - kein Fenster");
  step("find_window");
  const std::u16string user = cleanup.GetCurrentUserName();
  step("user_name");
  cleanup.KillProcessesByNameAndOwner(u"werfault.exe", user);
  step("wmi_first");
  for (const char16_t* name : {u"dwwin.exe", u"dw20.exe", u"Excelcnv.exe"}) {
    cleanup.KillProcessesByNameAndOwner(name, user);
  }
  step("wmi_next_three");
  cleanup.KillRegisteredProcesses();
  step("process_list");
  cleanup.ResetLiveStatus();
  store.WriteSetting(zarn::settings::kStartedByDaemon, u"");
  store.WriteSetting(zarn::settings::kCommand, u"BENCH");
  const std::u16string workbook =
      zarn::win32::FromWide(folder + L"\\Reaktion.zsim");
  store.ReadSetting(zarn::settings::kLiveStatusExec, u"");
  step("store");
  log.WriteDaemonLog(platform.clock.Read().local,
                     u"ZARND: Start ZARN '" + workbook + u"'", 0, 0);
  step("log");
  const std::u16string program = platform.shell.FindExecutable(workbook);
  step("association");
  store.ReadSetting(zarn::settings::kPellamShowStatusform, u"True");
  const std::u16string floor =
      zarn::win32::FromWide(folder + L"\\" + hung_program.exe);
  const uint32_t error = platform.shell.StartProcess(u"\"" + floor + u"\"",
                                                     zarn::ShowWindow::kHidden);
  step("create_process");
  platform.status_view.Hide();
  platform.status_view.Unload();
  step("unload");
  mark = begin;
  step("total");
  std::fflush(stdout);
  if (hung.process) ::CloseHandle(hung.process);
  // The floor just started is found by its window and closed.
  const double launched = Now();
  while (Now() - launched < 10000) {
    if (HWND window =
            ::FindWindowW(hung_program.window_class, hung_program.title)) {
      ::PostMessageW(window, WM_CLOSE, 0, 0);
      break;
    }
    ::Sleep(10);
  }
  return error == 0 && !program.empty() ? 0 : 3;
}

}  // namespace
}  // namespace zarn::bench

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 1;
  const int number = std::wcstol(argv[2], nullptr, 10);
  if (std::wcscmp(argv[1], L"startup") == 0)
    return zarn::bench::StartUp(number, argv[3]);
  if (std::wcscmp(argv[1], L"idle") == 0)
    return zarn::bench::Idle(number, argv[3]);
  if (std::wcscmp(argv[1], L"ops") == 0) return zarn::bench::Operations(number);
  if (std::wcscmp(argv[1], L"restart") == 0)
    return zarn::bench::RestartSteps(argv[3]);
  return 1;
}
