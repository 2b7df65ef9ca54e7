// The real ZARNDaemon.exe while the wall clock of every Wine process jumps
// by two hours and the running clock goes on: run-under-faketime starts
// this program, its wineserver and every process of its prefix under
// libfaketime and names the file that holds the wall clock's offset. The
// test is the checker: it reports once, and the step comes three seconds
// later, well before the limit of eight seconds runs out, or at once,
// before the daemon reads the report.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../daemon_fixture.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_status_view.h"

namespace zarn::e2e {
namespace {

constexpr int64_t kLimitMs = 8000;

class WallClockStepTest : public DaemonFixture {
 protected:
  void SetUp() override {
    const char* offset_file = std::getenv("FAKETIME_TIMESTAMP_FILE");
    ASSERT_NE(offset_file, nullptr) << "run through run-under-faketime";
    // Wine shows the Unix root as drive Z:.
    offset_file_ = L"Z:";
    offset_file_ += FromUtf8(offset_file);
    for (wchar_t& c : offset_file_) {
      if (c == L'/') c = L'\\';
    }
    ASSERT_TRUE(SetOffset(0));
    DaemonFixture::SetUp();
  }
  void TearDown() override {
    DaemonFixture::TearDown();
    EXPECT_TRUE(SetOffset(0));
  }

  // Sets the wall clock of every process of the prefix `seconds` off the
  // real time, at once.
  bool SetOffset(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%+d\n", seconds);
    return WriteFileBytes(offset_file_, text);
  }

  // One report, a step of the wall clock `delay_ms` later, and the
  // restart: it must come when the report is older than the limit in
  // running time, neither at the step nor two hours later. The report
  // comes after the daemon's first read, or as soon as the window shows.
  void ReportThenStep(int step_seconds, DWORD delay_ms,
                      bool after_first_read = true) {
    WriteConfig(L"CANCELTIME=00:00:08\r\n");
    WatchedProcess daemon = StartDaemon(u"PRUEFE");
    ASSERT_TRUE(daemon.valid());
    HWND window = WaitForStatusWindow(daemon.id());
    ASSERT_NE(window, nullptr);
    // The daemon has read the store once: the report below is new to it.
    ASSERT_TRUE(!after_first_read || WaitUntil(
                                         [&] {
                                           return ControlText(window, kStatusId)
                                               .starts_with(L"ZARN inaktiv");
                                         },
                                         10000));

    SetSetting(settings::kLiveStatusTime, NowText());
    const ULONGLONG reported = ::GetTickCount64();
    ::Sleep(delay_ms);
    auto clock = NewWin32Clock();
    const ClockReading before = clock->Read();
    ASSERT_TRUE(SetOffset(step_seconds));
    const ULONGLONG stepped = ::GetTickCount64();
    // The preload is in force: the wall clock jumps, the running one not.
    const ClockReading after = clock->Read();
    EXPECT_NEAR(static_cast<double>(after.utc_ms - before.utc_ms),
                step_seconds * 1000.0, 2000.0);
    EXPECT_LT(after.running_ms - before.running_ms, 2000);

    // The window counts the age on: a few seconds, not two hours.
    ::Sleep(1500);
    if (!HandOverWritten()) {
      const std::wstring age = ControlText(window, kStatus2Id);
      EXPECT_TRUE(age.starts_with(L"00:00:0")) << Utf8(age);
    }
    ASSERT_TRUE(WaitUntil([&] { return HandOverWritten(); }, 30000))
        << "no restart within 30 s of the step";
    const ULONGLONG restarted = ::GetTickCount64();
    ASSERT_TRUE(daemon.WaitForExit(kPatienceMs));

    // Overdue when the report, counted from the start of its second, is
    // more than eight seconds old: between 8 and 9 s after it was
    // written, plus the cycle of up to a second and the load of the
    // machine.
    EXPECT_GT(restarted - stepped, 0u);
    EXPECT_GE(static_cast<int64_t>(restarted - reported), kLimitMs)
        << "restarted too early, " << restarted - stepped
        << " ms after the step";
    EXPECT_LE(static_cast<int64_t>(restarted - reported), kLimitMs + 4000)
        << "restarted late";

    // The log line keeps the local wall time, stepped as it is.
    const std::optional<std::string> log = ReadFileBytes(daemon_log());
    ASSERT_TRUE(log.has_value());
    const std::optional<DateTime> logged = regional_->ParseDateTime(
        win32::FromAnsi(log->substr(0, log->find(','))));
    ASSERT_TRUE(logged.has_value()) << *log;
    const int64_t behind = clock->Read().local - *logged;
    EXPECT_GE(behind, 0) << *log;
    EXPECT_LE(behind, 5) << *log;
  }

  std::wstring offset_file_;
};

TEST_F(WallClockStepTest, TwoHoursForwardGiveNoFalseRestart) {
  ReportThenStep(2 * 3600, 3000);
}

TEST_F(WallClockStepTest, TwoHoursBackDoNotPutTheRestartOff) {
  ReportThenStep(-2 * 3600, 3000);
}

// The daemon reads the report only after the step, as after a sleep.
TEST_F(WallClockStepTest, TwoHoursForwardBeforeTheReadGiveNoFalseRestart) {
  ReportThenStep(2 * 3600, 0);
}

TEST_F(WallClockStepTest, TwoHoursBackBeforeTheReadDoNotPutTheRestartOff) {
  ReportThenStep(-2 * 3600, 0);
}

// The window is visible before the daemon's first read, under Wine by more
// than a second: a step in between is seen as well.
TEST_F(WallClockStepTest, TwoHoursForwardWhileTheWindowOpensGiveNoRestart) {
  ReportThenStep(2 * 3600, 0, false);
}

TEST_F(WallClockStepTest, TwoHoursBackWhileTheWindowOpensPutNothingOff) {
  ReportThenStep(-2 * 3600, 0, false);
}

}  // namespace
}  // namespace zarn::e2e
