// At the restart limit the daemon tells the person at the screen in a
// notice that holds nothing up: a checker started by hand while the notice
// still shows gets a daemon that supervises it.
#include <gtest/gtest.h>

#include <string>

#include "daemon_fixture.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_status_view.h"
#include "watchdog/restart_limit.h"

namespace zarn::e2e {
namespace {

using RefusalNoticeTest = DaemonFixture;

TEST_F(RefusalNoticeTest, ACheckerStartedByHandWhileItShowsIsSupervised) {
  WriteConfig(
      L"CANCELTIME=00:00:02\r\nLOADTIME=00:00:02\r\n"
      L"SPECIALCELLSTIME=00:00:02\r\nRESTARTMAX=1\r\n"
      L"RESTARTTIME=01:00:00\r\n");
  // A restart a minute ago: the first hang is refused.
  const int64_t now_utc = NewWin32Clock()->Read().UtcSeconds();
  SetSetting(settings::kDaemonRestarts, FormatRestartTime(now_utc - 60));
  const std::wstring hanging = WriteScenario(L"Haenger.zsim",
                                             L"[first]\n"
                                             L"report_interval_ms=500\n"
                                             L"silent_after=1\n");
  const std::wstring steady = WriteScenario(L"Pruefung.zsim",
                                            L"[first]\n"
                                            L"report_interval_ms=500\n");
  WatchedProcess first = StartSimExcel(hanging);
  ASSERT_TRUE(first.valid());
  WatchedProcess refusing = WaitForDaemon();
  const HWND notice = WaitForNotice(refusing.id(), 2 * kPatienceMs);
  ASSERT_NE(notice, nullptr) << SimLog();
  EXPECT_TRUE(first.WaitForExit(kPatienceMs)) << "the hung SimExcel is ended";

  // Started by hand while the notice shows.
  WatchedProcess by_hand = StartSimExcel(steady);
  ASSERT_TRUE(by_hand.valid());
  ASSERT_TRUE(
      WaitUntil([&] { return DaemonStarted(1).has_value(); }, kPatienceMs))
      << SimLog();
  WatchedProcess supervising(*DaemonStarted(1));
  const HWND window = WaitForStatusWindow(supervising.id());
  EXPECT_NE(window, nullptr)
      << "the daemon of the checker started by hand did not supervise";
  EXPECT_TRUE(WaitUntil(
      [&] { return Setting(settings::kDaemonCommand) == u""; }, kPatienceMs))
      << "DAEMONCOMMAND was not taken over";
  EXPECT_TRUE(::IsWindowVisible(notice)) << "the notice went meanwhile";
  EXPECT_TRUE(refusing.running());

  // OK ends the daemon that refused; the other goes on supervising.
  PressOk(notice);
  EXPECT_TRUE(refusing.WaitForExit(kPatienceMs));
  EXPECT_EQ(refusing.ExitCode(), 0u);
  EXPECT_TRUE(supervising.running());
  if (window) Click(window, kCmdAbbruchId);
  EXPECT_TRUE(supervising.WaitForExit(kPatienceMs));
}

}  // namespace
}  // namespace zarn::e2e
