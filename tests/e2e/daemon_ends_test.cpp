// The daemon's ends other than the restart, with SimExcel as the checker
// or the test in its place: each leaves the checker running, writes
// nothing to the store and logs nothing.
#include <gtest/gtest.h>

#include "daemon_fixture.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_status_view.h"
#include "process/single_instance.h"

namespace zarn::e2e {
namespace {

constexpr wchar_t kPatientLimits[] =
    L"CANCELTIME=00:00:30\r\nLOADTIME=00:00:30\r\nSPECIALCELLSTIME=00:00:"
    L"30\r\n";
// Reports twice a second and never falls silent or finishes.
constexpr wchar_t kReporting[] = L"[first]\nreport_interval_ms=500\n";
// Hangs before its first report.
constexpr wchar_t kNeverReporting[] = L"[first]\nsilent_after=0\n";

class DaemonEndsTest : public DaemonFixture {
 protected:
  void SetUp() override {
    DaemonFixture::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    // Should the daemon restart by mistake, the association would show it.
    RegisterSimExcel();
  }

  // Starts SimExcel on `scenario`; gives it and its daemon, once the
  // daemon has taken the hand-over command and shows its window.
  struct Running {
    WatchedProcess checker;
    WatchedProcess daemon;
    HWND window = nullptr;
  };
  Running StartChecker(const std::wstring& scenario) {
    Running run;
    run.checker = StartSimExcel(WriteScenario(L"Prüfung.zsim", scenario));
    EXPECT_TRUE(run.checker.valid());
    run.daemon = WaitForDaemon();
    EXPECT_TRUE(run.daemon.valid());
    run.window = WaitForStatusWindow(run.daemon.id());
    EXPECT_NE(run.window, nullptr);
    EXPECT_TRUE(
        WaitUntil([&] { return Setting(settings::kDaemonCommand).empty(); },
                  kPatienceMs));
    return run;
  }

  // Nothing of a restart happened: the checker is alive and still listed,
  // no hand-over, no log line, no second checker.
  void ExpectNoRestart(const WatchedProcess& checker) {
    EXPECT_TRUE(checker.running());
    EXPECT_EQ(Setting(settings::kProcessIds), IdEntry(checker.id()));
    EXPECT_FALSE(HandOverWritten());
    EXPECT_FALSE(FileExists(daemon_log()));
    EXPECT_EQ(SimStart(1), std::nullopt) << SimLog();
  }
};

TEST_F(DaemonEndsTest, FinishedEndsTheDaemonWithoutRestart) {
  WriteConfig(L"CANCELTIME=00:00:05\r\n");
  Running run =
      StartChecker(L"[first]\nreport_interval_ms=500\nfinish_after=2\n");
  ASSERT_TRUE(run.daemon.valid());

  ASSERT_TRUE(run.checker.WaitForExit(kPatienceMs));
  EXPECT_EQ(Setting(settings::kLiveStatus), u"Finished");
  ASSERT_TRUE(run.daemon.WaitForExit(kPatienceMs));
  EXPECT_EQ(run.daemon.ExitCode(), 0u);
  EXPECT_FALSE(HandOverWritten());
  EXPECT_FALSE(FileExists(daemon_log()));
  EXPECT_EQ(SimStart(1), std::nullopt) << SimLog();
  EXPECT_EQ(FindWindowOf(run.checker.id(), L"XLMain", nullptr), nullptr);
}

TEST_F(DaemonEndsTest, CheckerNeverReportingIsGivenUpAfterTheLimit) {
  WriteConfig(L"CANCELTIME=00:00:03\r\n");
  Running run = StartChecker(kNeverReporting);
  ASSERT_TRUE(run.daemon.valid());
  EXPECT_TRUE(WaitUntil(
      [&] {
        return ControlText(run.window, kStatusId)
            .starts_with(L"ZARN inaktiv, beende in ");
      },
      kPatienceMs))
      << Utf8(ControlText(run.window, kStatusId));
  const auto after_start_up = SettingsSnapshot();

  ASSERT_TRUE(run.daemon.WaitForExit(kPatienceMs));
  // Three seconds from the window, plus up to a cycle and a second of
  // rounding, plus the start-up.
  const std::optional<int64_t> lifetime = run.daemon.LifetimeMs();
  ASSERT_TRUE(lifetime.has_value());
  EXPECT_GE(*lifetime, 3000);
  EXPECT_LE(*lifetime, 6500);
  EXPECT_EQ(run.daemon.ExitCode(), 0u);
  EXPECT_EQ(SettingsSnapshot(), after_start_up);
  EXPECT_EQ(Setting(settings::kLiveStatusTime), kMissing);
  ExpectNoRestart(run.checker);
}

TEST_F(DaemonEndsTest, SecondDaemonEndsAtOnceAndLeavesItsCommand) {
  WriteConfig(kPatientLimits);
  Running run = StartChecker(kReporting);
  ASSERT_NE(run.window, nullptr);

  WatchedProcess second = StartDaemon(u"ZWEITER");
  ASSERT_TRUE(second.valid());
  bool second_window = false;
  EXPECT_TRUE(WaitUntil(
      [&] {
        second_window |=
            FindWindowOf(second.id(), kStatusWindowClass, nullptr) != nullptr;
        return !second.running();
      },
      kPatienceMs, 5));
  EXPECT_FALSE(second_window) << "a second daemon shows no window";
  const std::optional<int64_t> lifetime = second.LifetimeMs();
  ASSERT_TRUE(lifetime.has_value());
  // It waits for the lock in case its holder is ending, and no longer.
  EXPECT_LT(*lifetime, kInstanceLockWaitMs + 2000);
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_EQ(Setting(settings::kDaemonCommand), u"ZWEITER");

  // The first supervises on, and leaves the command alone too.
  EXPECT_TRUE(run.daemon.running());
  Click(run.window, kCmdAbbruchId);
  ASSERT_TRUE(run.daemon.WaitForExit(kPatienceMs));
  EXPECT_EQ(Setting(settings::kDaemonCommand), u"ZWEITER");
  ExpectNoRestart(run.checker);
}

TEST_F(DaemonEndsTest, OfTwoDaemonsStartedTogetherExactlyOneRuns) {
  WriteConfig(kPatientLimits);
  // Both started before either can have looked: neither counts the other
  // as the one that ran first.
  SetSetting(settings::kDaemonCommand, u"ZUGLEICH");
  WatchedProcess first = StartProcess(daemon_exe(), L"", app());
  WatchedProcess second = StartProcess(daemon_exe(), L"", app());
  ASSERT_TRUE(first.valid() && second.valid());
  ASSERT_TRUE(WaitUntil([&] { return !first.running() || !second.running(); },
                        kPatienceMs, 5))
      << "both run";
  WatchedProcess& survivor = first.running() ? first : second;
  const HWND window = WaitForStatusWindow(survivor.id());
  ASSERT_NE(window, nullptr) << "both ended";
  EXPECT_TRUE(WaitUntil(
      [&] { return Setting(settings::kDaemonCommand).empty(); }, kPatienceMs));
  EXPECT_TRUE(survivor.running());
  Click(window, kCmdAbbruchId);
  EXPECT_TRUE(survivor.WaitForExit(kPatienceMs));
}

TEST_F(DaemonEndsTest, CancelButtonHidesTheWindowAndEndsWithoutRestart) {
  WriteConfig(kPatientLimits);
  Running run = StartChecker(kReporting);
  ASSERT_NE(run.window, nullptr);
  EXPECT_EQ(ControlText(run.window, kCmdAbbruchId), L"Überwachung abbrechen");

  const ULONGLONG clicked = ::GetTickCount64();
  Click(run.window, kCmdAbbruchId);
  EXPECT_TRUE(
      WaitUntil([&] { return !::IsWindowVisible(run.window); }, kPatienceMs));
  ASSERT_TRUE(run.daemon.WaitForExit(kPatienceMs));
  // The click acts in the next pause's event processing; the end follows
  // in the cycle after.
  EXPECT_LT(::GetTickCount64() - clicked, 3500u);
  EXPECT_EQ(run.daemon.ExitCode(), 0u);
  ExpectNoRestart(run.checker);
}

TEST_F(DaemonEndsTest, ClosingTheWindowThroughItsFrameEndsLikeCancel) {
  WriteConfig(kPatientLimits);
  struct Case {
    const char* name;
    UINT message;
    WPARAM w;
  };
  for (const Case& c : {Case{"close box", WM_CLOSE, 0},
                        Case{"system menu", WM_SYSCOMMAND, SC_CLOSE}}) {
    SCOPED_TRACE(c.name);
    ResetSettings();
    // The test plays the checker: it hands over a command, never reports.
    WatchedProcess daemon = StartDaemon(u"RAHMEN");
    ASSERT_TRUE(daemon.valid());
    HWND window = WaitForStatusWindow(daemon.id());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(
        WaitUntil([&] { return Setting(settings::kDaemonCommand).empty(); },
                  kPatienceMs));
    const auto after_start_up = SettingsSnapshot();

    ::PostMessageW(window, c.message, c.w, 0);
    ASSERT_TRUE(daemon.WaitForExit(kPatienceMs));
    EXPECT_EQ(daemon.ExitCode(), 0u);
    EXPECT_EQ(SettingsSnapshot(), after_start_up);
    EXPECT_FALSE(FileExists(daemon_log()));
  }
}

TEST_F(DaemonEndsTest, MalformedLimitIsReportedInABoxThenItsFallbackHolds) {
  WriteConfig(L"CANCELTIME=0:05:00\r\nLOADTIME=00:00:30\r\n");
  WatchedProcess daemon = StartDaemon(u"x");
  ASSERT_TRUE(daemon.valid());

  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        box =
            FindWindowOf(daemon.id(), L"#32770", L"ZARN Daemon (Build: 1-0-0)");
        return box && ::IsWindowVisible(box);
      },
      kPatienceMs));
  std::wstring text;
  for (HWND child = ::GetWindow(box, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (WindowText(child).starts_with(L"Die ")) text = WindowText(child);
  }
  EXPECT_EQ(text,
            L"Die CANCELTIME in der Sektion [ZARN] der Konfiguration "
            L"entspricht nicht dem Format hh:mm:ss. Der Wert wird auf "
            L"00:05:00 gesetzt.");
  // Start-up waits for the box: no status window yet, the command untaken.
  HWND window = FindWindowOf(daemon.id(), kStatusWindowClass, nullptr);
  EXPECT_FALSE(window && ::IsWindowVisible(window));
  EXPECT_EQ(Setting(settings::kDaemonCommand), u"x");

  ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  window = WaitForStatusWindow(daemon.id());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ControlText(window, kCancelTimeId), L"00:05:00");
  EXPECT_TRUE(WaitUntil(
      [&] { return Setting(settings::kDaemonCommand).empty(); }, kPatienceMs));

  Click(window, kCmdAbbruchId);
  ASSERT_TRUE(daemon.WaitForExit(kPatienceMs));
  EXPECT_FALSE(HandOverWritten());
}

}  // namespace
}  // namespace zarn::e2e
