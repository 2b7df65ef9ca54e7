// A checker that hangs on every start, under a limit of two restarts: the
// daemons of the user reopen it twice, then the third clears the hung
// Excel away, logs why there is no third reopening, hands nothing over,
// and ends once its notice is closed.
#include "watchdog/restart_limit.h"

#include <gtest/gtest.h>

#include <string>

#include "daemon_fixture.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_status_view.h"

namespace zarn::e2e {
namespace {

// How long three rounds of hang and restart may take under a busy Wine.
constexpr DWORD kRoundsMs = 6 * kPatienceMs;

using RestartLimitTest = DaemonFixture;

TEST_F(RestartLimitTest, HangingOnEveryStartIsReopenedTwiceThenLeftEnded) {
  WriteConfig(
      L"CANCELTIME=00:00:02\r\nLOADTIME=00:00:02\r\n"
      L"SPECIALCELLSTIME=00:00:02\r\nRESTARTMAX=2\r\n"
      L"RESTARTTIME=01:00:00\r\n");
  const std::wstring workbook = WriteScenario(L"Prüfung.zsim",
                                              L"[first]\n"
                                              L"report_interval_ms=500\n"
                                              L"silent_after=1\n"
                                              L"[restarted]\n"
                                              L"report_interval_ms=500\n"
                                              L"silent_after=1\n");
  RegisterSimExcel();
  WatchedProcess first = StartSimExcel(workbook);
  ASSERT_TRUE(first.valid());
  WatchedProcess first_daemon = WaitForDaemon();
  HWND window = WaitForStatusWindow(first_daemon.id());
  ASSERT_NE(window, nullptr);
  // Set before the window first processes its events, so before it paints.
  EXPECT_TRUE(WaitUntil(
      [&] {
        return ControlText(window, kNeustartsId) ==
               L"0 von 2 innerhalb 01:00:00";
      },
      kPatienceMs));
  // The window may be found before it is shown.
  EXPECT_TRUE(WaitUntil(
      [&] { return ::IsWindowVisible(::GetDlgItem(window, kLabel6Id)) != 0; },
      kPatienceMs));

  // The second reopening starts the third daemon.
  ASSERT_TRUE(
      WaitUntil([&] { return DaemonStarted(2).has_value(); }, kRoundsMs))
      << SimLog();
  const auto third_start = SimStart(2);
  ASSERT_TRUE(third_start.has_value()) << SimLog();
  WatchedProcess third(third_start->first);
  WatchedProcess third_daemon(*DaemonStarted(2));
  // The third SimExcel has read the hand-over; from here on, whatever
  // stands in COMMAND was written after it.
  ASSERT_TRUE(WaitUntil(
      [&] { return Count(SimLog(), "restarted COMMAND=") == 2; }, kPatienceMs));
  SetSetting(settings::kCommand, u"<leer>");
  HWND third_window = WaitForStatusWindow(third_daemon.id());
  if (third_window) {
    EXPECT_TRUE(WaitUntil(
        [&] {
          return !::IsWindow(third_window) ||
                 ControlText(third_window, kNeustartsId) ==
                     L"2 von 2 innerhalb 01:00:00";
        },
        kPatienceMs));
  }

  // The third hang: cleared away, not reopened, and a notice says so.
  const HWND notice = WaitForNotice(third_daemon.id(), kRoundsMs);
  ASSERT_NE(notice, nullptr) << SimLog();
  PressOk(notice);
  ASSERT_TRUE(third_daemon.WaitForExit(kPatienceMs)) << SimLog();
  EXPECT_EQ(third_daemon.ExitCode(), 0u);
  EXPECT_TRUE(third.WaitForExit(kPatienceMs)) << "the hung Excel is ended";
  EXPECT_TRUE(
      WaitUntil([&] { return ProcessesIn(app(), L"ZARNDaemon.exe").empty(); },
                kPatienceMs));
  // Nothing would reopen it later either: give a launch time to show.
  ::Sleep(2000);
  EXPECT_EQ(SimStart(3), std::nullopt) << SimLog();
  EXPECT_EQ(SimStart(1)->second, L"/r \"" + workbook + L"\"");
  EXPECT_EQ(SimStart(2)->second, L"/r \"" + workbook + L"\"");
  EXPECT_EQ(Setting(settings::kStartedByDaemon), u"") << "cleared by SimExcel";
  EXPECT_EQ(Setting(settings::kCommand), u"<leer>");
  EXPECT_EQ(Setting(settings::kProcessIds), u"");

  // Two start lines, then the one that says why there is no third.
  const std::optional<std::string> log = ReadFileBytes(daemon_log());
  ASSERT_TRUE(log.has_value()) << "no daemon log";
  const std::string path = win32::ToAnsi(win32::FromWide(workbook));
  EXPECT_EQ(Count(*log, "\r\n"), 3u) << *log;
  EXPECT_EQ(Count(*log, ",0, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN '" + path +
                            "'\"\r\n"),
            2u)
      << *log;
  EXPECT_TRUE(log->ends_with(
      ",0, Typ: 7, ID: 0, \"Err: ZARND: Kein Neustart von ZARN '" + path +
      "': Grenze von 2 Neustarts innerhalb 01:00:00 erreicht\"\r\n"))
      << *log;

  // The two restarts, in UTC, within the last minutes.
  const int64_t now_utc = NewWin32Clock()->Read().UtcSeconds();
  const RestartHistory history =
      ReadRestartHistory(Setting(settings::kDaemonRestarts), now_utc,
                         TimeLimit::FromText(u"01:00:00"));
  ASSERT_EQ(history.times.size(), 2u)
      << Utf8(win32::ToWide(Setting(settings::kDaemonRestarts)));
  EXPECT_FALSE(history.changed);
  EXPECT_GE(history.times.front(), now_utc - 300);
}

}  // namespace
}  // namespace zarn::e2e
