// The real daemon against files that misbehave: a log held open without
// sharing by another process, a configuration of 50 MB, and a
// configuration "file" that is a folder.
#include <gtest/gtest.h>

#include <string>

#include "fault_fixture.h"
#include "testing/win32/win32_test_support.h"

namespace zarn::faults {
namespace {

class FileFaultTest : public DaemonFaultTest {
 protected:
  // An overdue checker and a daemon started with "1", which stops at the
  // "Start Prog 2" box just before its log line: the log is taken while
  // the box is up, and the box closed once it is held.
  struct HeldLog {
    long daemon_exit = -1;
    bool holder_ran_past_daemon = false;
    long holder_exit = -1;
  };
  HeldLog RestartWithLogHeldFor(DWORD hold_ms) {
    HeldLog result;
    WriteCheckerValues();
    EXPECT_TRUE(app_.WriteLimits("00:00:02"));
    Report(60);
    DaemonProcess daemon(app_, L"1");
    EXPECT_TRUE(daemon.started());
    const HWND box = daemon.WaitForMessageBox(15000);
    EXPECT_TRUE(box) << "no \"Start Prog 2\"";
    if (!box) return result;

    const std::wstring log = app_ / L"daemon.log";
    ToolProcess holder(win32::OwnFolder() + L"file_holder.exe",
                       L"\"" + log + L"\" " + std::to_wstring(hold_ms));
    EXPECT_TRUE(WaitUntil([&] { return app_.Exists(L"daemon.log"); }, 10000));
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    result.daemon_exit = daemon.WaitForExit(15000);
    result.holder_ran_past_daemon = holder.running();
    result.holder_exit = holder.WaitForExit(15000);
    return result;
  }

  // The CancelTime label of a daemon whose configuration is in place,
  // and the milliseconds from its window to its end; the daemon is asked
  // to cancel after `cancel_after_ms` when it still runs then.
  struct Supervised {
    std::wstring cancel_time;
    ULONGLONG window_to_end_ms = 0;
    long exit_code = -1;
    bool cancelled = false;
  };
  Supervised Supervise(DWORD window_bound_ms, DWORD cancel_after_ms) {
    Supervised result;
    DaemonProcess daemon(app_);
    EXPECT_TRUE(daemon.started());
    const HWND window = daemon.WaitForWindow(window_bound_ms);
    EXPECT_TRUE(window) << "no status window";
    if (!window) return result;
    const ULONGLONG shown = Ticks();
    result.cancel_time = daemon.ControlText(window, kCancelTimeId);
    result.exit_code = daemon.WaitForExit(cancel_after_ms);
    if (result.exit_code == -1) {
      result.cancelled = true;
      daemon.Click(window, kCmdAbbruchId);
      result.exit_code = daemon.WaitForExit(5000);
    }
    result.window_to_end_ms = daemon.exit_ticks() - shown;
    return result;
  }
};

TEST_F(FileFaultTest, LogHeldForHalfASecondStillGetsTheLine) {
  const HeldLog run = RestartWithLogHeldFor(500);
  EXPECT_EQ(run.daemon_exit, 0);
  EXPECT_EQ(run.holder_exit, 0) << "the log was not held";
  const std::vector<std::string> lines = Lines(Log());
  ASSERT_EQ(lines.size(), 1u) << Log();
  EXPECT_NE(lines[0].find("\"Err: ZARND: Start ZARN '"), std::string::npos);
  EXPECT_TRUE(WaitUntil([&] { return !app_.ExcelRecord().empty(); }, 15000));
  EXPECT_EQ(ReadText(L"StartedByDaemon"), L"True");
  EXPECT_EQ(ReadText(L"COMMAND"), kCommand);
}

TEST_F(FileFaultTest, LogHeldForThreeSecondsLosesTheLineButNotTheRestart) {
  const HeldLog run = RestartWithLogHeldFor(3000);
  EXPECT_EQ(run.daemon_exit, 0);
  EXPECT_TRUE(run.holder_ran_past_daemon)
      << "the daemon waited for the log instead of giving the line up";
  EXPECT_EQ(run.holder_exit, 0);
  EXPECT_EQ(Log(), "");
  EXPECT_TRUE(WaitUntil([&] { return !app_.ExcelRecord().empty(); }, 15000));
  EXPECT_EQ(ReadText(L"StartedByDaemon"), L"True");
  EXPECT_EQ(ReadText(L"COMMAND"), kCommand);
  EXPECT_EQ(ReadText(L"Unbeteiligt"), L"bleibt wie es ist");
}

// 50 MB of sections before [ZARN]: the daemon reads it, takes the limit
// from its end and supervises with it. Without a report it gives up at the
// three-second limit, which only the file can have given.
TEST_F(FileFaultTest, FiftyMegabyteConfigurationIsReadWhole) {
  std::string text;
  text.reserve(50u << 20);
  const std::string filler(96, 'x');
  for (int section = 0; text.size() < (50u << 20); ++section) {
    text += "[Sektion " + std::to_string(section) + "]\r\n";
    for (int key = 0; key < 8; ++key) {
      text += "SCHLUESSEL" + std::to_string(key) + "=" + filler + "\r\n";
    }
  }
  text += "[ZARN]\r\nCANCELTIME=00:00:03\r\n";
  ASSERT_TRUE(app_.WriteFile(L"ZARN.cfg", text));
  WriteCheckerValues();
  const Snapshot before = TakeSnapshot();

  const ULONGLONG start = Ticks();
  const Supervised run = Supervise(90000, 15000);
  RecordProperty("start_to_window_ms",
                 std::to_string(Ticks() - start - run.window_to_end_ms));
  EXPECT_EQ(run.cancel_time, L"00:00:03");
  EXPECT_FALSE(run.cancelled);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_GE(run.window_to_end_ms, 2500u);
  ExpectStoreKept(before, {{L"DAEMONCOMMAND", L""}});
}

// ZARN.cfg is a folder: it exists, so it is chosen, and it can't be read,
// so the limits keep their start values. The daemon runs until cancelled.
TEST_F(FileFaultTest, ConfigurationThatIsAFolderLeavesTheStartValues) {
  ASSERT_TRUE(::CreateDirectoryW((app_ / L"ZARN.cfg").c_str(), nullptr));
  WriteCheckerValues();
  Report(0);
  const Snapshot before = TakeSnapshot();

  const Supervised run = Supervise(15000, 3000);
  EXPECT_EQ(run.cancel_time, L"00:05:00");
  EXPECT_TRUE(run.cancelled) << "the daemon did not keep supervising";
  EXPECT_EQ(run.exit_code, 0);
  const DWORD attributes = ::GetFileAttributesW((app_ / L"ZARN.cfg").c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
              (attributes & FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_TRUE(app_.ExcelRecord().empty());
  ExpectStoreKept(before, {{L"DAEMONCOMMAND", L""}});
}

}  // namespace
}  // namespace zarn::faults
