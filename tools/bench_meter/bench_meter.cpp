// Measures ZARNDaemon.exe against floor.exe, both in FOLDER, for
// scripts/bench; prints one "key value..." line per figure.
//
//   bench_meter.exe startup RUNS FOLDER
//     per run, alternately: milliseconds from CreateProcess to the window
//     shown (and, for the daemon, DAEMONCOMMAND taken), polled every 1 ms.
//   bench_meter.exe idle SECONDS FOLDER
//     starts both, the daemon supervising a fresh report under a long
//     limit; after 3 s prints "begin", waits SECONDS, prints their CPU
//     seconds in that time (GetProcessTimes) and their peak working sets
//     (GetProcessMemoryInfo, opened by id), then "end", and closes both.
//   bench_meter.exe ops RUNS FOLDER
//     the CPU time (GetThreadTimes, this thread, in 10 ms ticks under Wine)
//     and the wall time of each backend operation that a supervision cycle
//     makes, averaged over RUNS calls: "op NAME CPU_US WALL_US".
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "common/date_time.h"
#include "platform/settings_store.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_regional.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_status_view.h"
#include "platform/win32/win32_test_support.h"

namespace {

constexpr wchar_t kFloorTitle[] = L"ZARN Boden";

double Now() {
  LARGE_INTEGER count, frequency;
  ::QueryPerformanceCounter(&count);
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(count.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

struct Child {
  HANDLE process = nullptr;
  DWORD id = 0;
};

Child Start(const std::wstring& folder, const wchar_t* exe) {
  std::wstring path = folder + L"\\" + exe;
  std::wstring command = L"\"" + path + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  Child child;
  if (::CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, folder.c_str(), &startup, &info)) {
    ::CloseHandle(info.hThread);
    child.process = info.hProcess;
    child.id = info.dwProcessId;
  }
  return child;
}

HWND WindowOf(DWORD id, const wchar_t* window_class, const wchar_t* title) {
  return zarn::win32::FindWindowOf(id, window_class, title,
                                   /*visible_only=*/true);
}

bool IsDaemon(const wchar_t* exe) { return std::wcscmp(exe, L"floor.exe"); }

HWND MainWindow(const wchar_t* exe, DWORD id) {
  return IsDaemon(exe) ? WindowOf(id, zarn::kStatusWindowClass,
                                  zarn::kStatusWindowCaption)
                       : WindowOf(id, L"ZarnFloor", kFloorTitle);
}

void Close(const wchar_t* exe, Child& child) {
  if (!child.process) return;
  if (HWND window = MainWindow(exe, child.id)) {
    if (IsDaemon(exe)) {
      ::PostMessageW(::GetDlgItem(window, zarn::kCmdAbbruchId), BM_CLICK, 0, 0);
    } else {
      ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
  }
  if (::WaitForSingleObject(child.process, 5000) != WAIT_OBJECT_0) {
    ::TerminateProcess(child.process, 1);
    ::WaitForSingleObject(child.process, 5000);
  }
  ::CloseHandle(child.process);
  child = {};
}

void HandOver(zarn::SettingsStore& store) {
  auto regional = zarn::NewWin32Regional();
  store.WriteSetting(zarn::settings::kLiveStatus, u"");
  store.WriteSetting(zarn::settings::kLiveStatusFunc, u"Analyse");
  store.WriteSetting(
      zarn::settings::kLiveStatusTime,
      regional->FormatDateTime(zarn::NewWin32Clock()->Read().local));
  store.WriteSetting(zarn::settings::kDaemonCommand, u"BENCH");
}

int StartUp(int runs, const std::wstring& folder) {
  auto store = zarn::NewWin32SettingsStore();
  for (int run = 0; run < 2 * runs; ++run) {
    const wchar_t* exe = run % 2 ? L"floor.exe" : L"ZARNDaemon.exe";
    if (IsDaemon(exe)) HandOver(*store);
    const double start = Now();
    Child child = Start(folder, exe);
    if (!child.process) return 2;
    double shown = -1;
    while (Now() - start < 30000) {
      if (MainWindow(exe, child.id) &&
          (!IsDaemon(exe) ||
           store->ReadSetting(zarn::settings::kDaemonCommand, u"?").empty())) {
        shown = Now() - start;
        break;
      }
      ::Sleep(1);
    }
    std::printf("startup %s %.1f\n", IsDaemon(exe) ? "daemon" : "floor", shown);
    std::fflush(stdout);
    Close(exe, child);
    ::Sleep(300);
  }
  return 0;
}

double CpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  const auto value = [](FILETIME t) {
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(value(kernel) + value(user)) / 1e7;
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
  Child daemon = Start(folder, L"ZARNDaemon.exe");
  Child floor = Start(folder, L"floor.exe");
  const double start = Now();
  while (Now() - start < 30000 && !(MainWindow(L"ZARNDaemon.exe", daemon.id) &&
                                    MainWindow(L"floor.exe", floor.id))) {
    ::Sleep(20);
  }
  std::printf("pids %lu %lu\n", daemon.id, floor.id);
  ::Sleep(3000);
  const double cpu_daemon = CpuSeconds(daemon.process);
  const double cpu_floor = CpuSeconds(floor.process);
  std::printf("begin\n");
  std::fflush(stdout);
  ::Sleep(static_cast<DWORD>(seconds) * 1000);
  std::printf("cpu %.3f %.3f\n", CpuSeconds(daemon.process) - cpu_daemon,
              CpuSeconds(floor.process) - cpu_floor);
  std::printf("peak_ws %llu %llu\n",
              static_cast<unsigned long long>(PeakWorkingSet(daemon.id)),
              static_cast<unsigned long long>(PeakWorkingSet(floor.id)));
  std::printf("end\n");
  std::fflush(stdout);
  Close(L"ZARNDaemon.exe", daemon);
  Close(L"floor.exe", floor);
  return 0;
}

double ThreadCpuMicroseconds() {
  FILETIME created, exited, kernel, user;
  ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto value = [](FILETIME t) {
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(value(kernel) + value(user)) / 10.0;
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 1;
  const int number = std::wcstol(argv[2], nullptr, 10);
  if (std::wcscmp(argv[1], L"startup") == 0) return StartUp(number, argv[3]);
  if (std::wcscmp(argv[1], L"idle") == 0) return Idle(number, argv[3]);
  if (std::wcscmp(argv[1], L"ops") == 0) return Operations(number);
  return 1;
}
