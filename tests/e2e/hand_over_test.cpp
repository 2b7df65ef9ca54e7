// The chain that checker and daemon form: a daemon reopens the hung checker
// and ends, and the reopened checker starts the next daemon at once. Every
// daemon of the chain must take the hand-over command over and supervise,
// however long the one before it takes to go. Here its window takes long:
// under Wine's default window handling, on a display without a window
// manager, every hide waits two seconds for one, as in a trial from the
// package on a prefix that nobody set up.
#include <gtest/gtest.h>

#include <string>

#include "daemon_fixture.h"
#include "platform/win32/wide.h"

namespace zarn::e2e {
namespace {

// Three rounds of hang and restart under a busy Wine.
constexpr DWORD kRoundsMs = 6 * kPatienceMs;

class HandOverTest : public DaemonFixture {
 protected:
  void SetUp() override {
    DaemonFixture::SetUp();
    if (IsSkipped()) return;
    // Emptied, the key gives Wine's defaults to every program started from
    // now on: managed windows, which a missing window manager never
    // acknowledges. Put back after the test.
    x11_driver_ = std::make_unique<KeyGuard>(L"Software\\Wine\\X11 Driver");
  }
  void TearDown() override {
    DaemonFixture::TearDown();
    x11_driver_.reset();
  }

 private:
  std::unique_ptr<KeyGuard> x11_driver_;
};

TEST_F(HandOverTest, EveryReopenedCheckerGetsADaemonThatSupervisesIt) {
  WriteConfig(
      L"CANCELTIME=00:00:02\r\nLOADTIME=00:00:02\r\n"
      L"SPECIALCELLSTIME=00:00:02\r\nRESTARTMAX=2\r\n"
      L"RESTARTTIME=01:00:00\r\n");
  const std::wstring workbook = WriteScenario(L"Kette.zsim",
                                              L"[first]\n"
                                              L"report_interval_ms=500\n"
                                              L"silent_after=1\n"
                                              L"[restarted]\n"
                                              L"report_interval_ms=500\n"
                                              L"silent_after=1\n");
  RegisterSimExcel();
  WatchedProcess first = StartSimExcel(workbook);
  ASSERT_TRUE(first.valid());

  // The daemon of the first reopened checker: it takes the command over,
  // shows its window, and reopens the checker once it hangs again.
  ASSERT_TRUE(
      WaitUntil([&] { return DaemonStarted(1).has_value(); }, kRoundsMs))
      << SimLog();
  WatchedProcess second(*DaemonStarted(1));
  EXPECT_NE(WaitForStatusWindow(second.id()), nullptr)
      << "the reopened checker's daemon ended without supervising\n"
      << SimLog();
  ASSERT_TRUE(WaitUntil([&] { return SimStart(2).has_value(); }, kRoundsMs))
      << SimLog();
  EXPECT_EQ(SimStart(2)->second, L"/r \"" + workbook + L"\"");

  // The third daemon supervises too, and refuses the third restart.
  ASSERT_TRUE(
      WaitUntil([&] { return DaemonStarted(2).has_value(); }, kPatienceMs))
      << SimLog();
  WatchedProcess third(*DaemonStarted(2));
  const HWND notice = WaitForNotice(third.id(), kRoundsMs);
  EXPECT_NE(notice, nullptr) << SimLog();
  if (notice) PressOk(notice);
  EXPECT_TRUE(third.WaitForExit(kPatienceMs));
  EXPECT_TRUE(
      WaitUntil([&] { return ProcessesIn(app(), L"ZARNDaemon.exe").empty(); },
                kPatienceMs));
  EXPECT_EQ(Setting(settings::kDaemonCommand), u"")
      << "a daemon left its command untaken";
  const std::string log = ReadFileBytes(daemon_log()).value_or("");
  const std::string path = win32::ToAnsi(win32::FromWide(workbook));
  EXPECT_EQ(Count(log, "ZARND: Start ZARN '" + path + "'"), 2u) << log;
  EXPECT_EQ(Count(log, "ZARND: Kein Neustart von ZARN '" + path + "'"), 1u)
      << log;
}

}  // namespace
}  // namespace zarn::e2e
