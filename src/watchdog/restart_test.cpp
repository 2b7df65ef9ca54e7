#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "testing/fake_platform.h"
#include "testing/reporting_checker.h"
#include "watchdog/main_mod.h"

namespace zarn {
namespace {

// A checker that reported just now; NeuStarten pressed while start-up
// processes its events, so the first cycle restarts.
class RestartTest : public ::testing::Test {
 protected:
  RestartTest() {
    PrepareReportingChecker(fake_);
    fake_.status_view.PressOnCall(1, UserAction::kNeuStarten);
    fake_.clock.set_sleep_limit(10);
  }

  void RunMain() {
    Platform platform = fake_.platform();
    Main(platform);
    EXPECT_TRUE(fake_.status_view.unloaded());
    EXPECT_EQ(fake_.status_view.calls_after_unload(), 0);
  }
  std::string LogLine(const std::string& message, const char* number = "0") {
    return "07.12.2026 09:00:00," + std::string(number) +
           ", Typ: 7, ID: 0, \"Err: " + message + "\"\r\n";
  }

  FakePlatform fake_;
};

TEST_F(RestartTest, HandsOverLogsAndStartsExcel) {
  RunMain();
  EXPECT_TRUE(fake_.clock.sleeps().empty());
  EXPECT_EQ(fake_.settings.writes(),
            (std::vector<std::pair<std::u16string, std::u16string>>{
                {u"DAEMONCOMMAND", u""},
                {u"StartedByDaemon", u"True"},
                {u"COMMAND", u"RUN"}}));
  EXPECT_EQ(fake_.file_appender.File(kLogPath),
            LogLine("ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls'"));
  ASSERT_EQ(fake_.shell.started().size(), 1u);
  EXPECT_EQ(fake_.shell.started()[0].command_line,
            u"\"C:\\Office\\EXCEL.EXE\" /r \"C:\\Tools\\Daemon\\Check.xls\"");
  EXPECT_TRUE(fake_.message_box.shown().empty());
  // The window goes last; the restart's event, asked for by NeuStarten,
  // follows it.
  const auto& events = fake_.journal.events();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events[events.size() - 3], "hide");
  EXPECT_EQ(events[events.size() - 2], "unload");
  EXPECT_EQ(events.back(), "event: 1001");
}

TEST_F(RestartTest, RestartCycleReadsWhatTheRestartNeeds) {
  RunMain();
  const auto& reads = fake_.settings.reads();
  const std::vector<std::u16string> expected = {
      u"DaemonLog",         u"LiveStatusFunc", u"DAEMONCOMMAND",
      u"LiveStatus",        u"LiveStatusTime", u"LiveStatusFunc",
      u"LiveStatusCaption", u"LiveStatusExec", u"PellamShowStatusform"};
  EXPECT_EQ(reads, expected);
}

TEST_F(RestartTest, StartProg2ComesAfterTheHandOverAndBeforeLogAndLaunch) {
  fake_.command_line = u"/x 1";
  bool handed_over = false;
  fake_.message_box.set_on_show([&](const ShownMessage&) {
    handed_over = fake_.settings.Get(settings::kStartedByDaemon) == u"True" &&
                  fake_.settings.Get(settings::kCommand) == u"RUN";
  });
  RunMain();
  ASSERT_EQ(fake_.message_box.shown().size(), 1u);
  EXPECT_EQ(fake_.message_box.shown()[0].text, u"Start Prog 2");
  EXPECT_EQ(fake_.message_box.shown()[0].kind, MessageKind::kPlain);
  EXPECT_TRUE(handed_over);
  const int box = fake_.journal.IndexOf("box: Start Prog 2");
  const int log = fake_.journal.IndexOf("append: ");
  const int start = fake_.journal.IndexOf("start: ");
  ASSERT_GE(box, 0);
  EXPECT_LT(box, log);
  EXPECT_LT(log, start);
}

TEST_F(RestartTest, OnlyALastCharacterOneAsksForStartProg2) {
  const char16_t* lines[] = {u"", u"1 ", u"10", u"x", u"\"1\""};
  for (const char16_t* line : lines) {
    SCOPED_TRACE(Utf16ToUtf8(line));
    FakePlatform fake;
    fake.settings.Set(settings::kDaemonCommand, u"RUN");
    fake.settings.Set(settings::kLiveStatusTime,
                      fake.regional.FormatDateTime(fake.clock.Now()));
    fake.status_view.PressOnCall(1, UserAction::kNeuStarten);
    fake.command_line = line;
    Platform platform = fake.platform();
    Main(platform);
    EXPECT_EQ(fake.settings.Get(settings::kStartedByDaemon), u"True");
    EXPECT_TRUE(fake.message_box.shown().empty());
  }
}

TEST_F(RestartTest, HandOverIsWrittenEvenWhenNothingIsStarted) {
  // Associated with another spreadsheet program: nothing is started.
  size_t writes_before_exec = 0;
  fake_.settings.set_on_read([&](std::u16string_view key) {
    if (key == settings::kLiveStatusExec) {
      writes_before_exec = fake_.settings.writes().size();
    }
  });
  fake_.shell.Associate(kWorkbook, u"C:\\Office\\scalc.exe");
  RunMain();
  EXPECT_EQ(writes_before_exec, 3u);
  EXPECT_EQ(fake_.settings.Get(settings::kStartedByDaemon), u"True");
  EXPECT_EQ(fake_.settings.Get(settings::kCommand), u"RUN");
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonCommand), u"");
  EXPECT_EQ(fake_.shell.start_attempts(), 0);
  EXPECT_EQ(fake_.file_appender.File(kLogPath),
            LogLine("ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls'"));
}

TEST_F(RestartTest, OpenExcelWindowIsClearedAwayFirst) {
  fake_.windows.AddWindow(u"XLMain", kCaption);
  fake_.processes.AddProcess(77, u"EXCEL.EXE");
  fake_.settings.Set(settings::kProcessIds, u"(77)");
  fake_.settings.Set(settings::kLiveStatus, u"Läuft");
  RunMain();
  EXPECT_FALSE(fake_.processes.IsRunning(77));
  EXPECT_EQ(fake_.settings.Get(settings::kLiveStatusTime),
            fake_.regional.FormatDateTime(kNeverReported));
  EXPECT_EQ(fake_.settings.Get(settings::kLiveStatus), u"");
  EXPECT_EQ(fake_.settings.Get(settings::kStartedByDaemon), u"True");
  EXPECT_EQ(fake_.shell.started().size(), 1u);
}

TEST_F(RestartTest, WithoutExcelWindowNothingIsEnded) {
  fake_.windows.AddWindow(u"XLMain", u"Microsoft Excel - Other.xls");
  fake_.processes.AddProcess(77, u"EXCEL.EXE");
  fake_.settings.Set(settings::kProcessIds, u"(77)");
  RunMain();
  EXPECT_TRUE(fake_.processes.IsRunning(77));
  EXPECT_EQ(fake_.settings.Get(settings::kProcessIds), u"(77)");
  EXPECT_EQ(fake_.shell.started().size(), 1u);
}

TEST_F(RestartTest, FailedStartAddsALineWithTheErrorCode) {
  fake_.shell.set_start_error(2);
  RunMain();
  EXPECT_EQ(fake_.file_appender.File(kLogPath),
            LogLine("ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls'") +
                LogLine("ZARND: Start ZARN fehlgeschlagen "
                        "'C:\\Tools\\Daemon\\Check.xls'",
                        "2"));
}

TEST_F(RestartTest, QuotationMarkInExecIsNeverLaunched) {
  fake_.settings.Set(settings::kLiveStatusExec, u"Check.xls\" /e \"x");
  RunMain();
  EXPECT_EQ(fake_.shell.start_attempts(), 0);
  EXPECT_TRUE(fake_.shell.lookups().empty());
  EXPECT_EQ(fake_.settings.Get(settings::kStartedByDaemon), u"True");
  EXPECT_EQ(fake_.file_appender.File(kLogPath),
            LogLine("ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls\" /e "
                    "\"x'") +
                LogLine("ZARND: Start ZARN fehlgeschlagen "
                        "'C:\\Tools\\Daemon\\Check.xls\" /e \"x'",
                        "123"));
}

TEST_F(RestartTest, LineEndsInExecCannotForgeLogLines) {
  fake_.settings.Set(settings::kLiveStatusExec,
                     u"books\\Check.zsim\r\n01.01.2000 00:00:00,0, Typ: 7, "
                     u"ID: 0, \"Err: forged");
  RunMain();
  // The start line and the failed start (the path holds a quotation mark),
  // each one line with the CR LF turned into blanks.
  const std::string path =
      "C:\\Tools\\Daemon\\books\\Check.zsim  01.01.2000 00:00:00,0, Typ: 7, "
      "ID: 0, \"Err: forged";
  EXPECT_EQ(
      fake_.file_appender.File(kLogPath),
      LogLine("ZARND: Start ZARN '" + path + "'") +
          LogLine("ZARND: Start ZARN fehlgeschlagen '" + path + "'", "123"));
}

TEST_F(RestartTest, NoLogPathWritesNoLine) {
  fake_.settings.Erase(settings::kDaemonLog);
  RunMain();
  EXPECT_EQ(fake_.file_appender.attempts(), 0);
  EXPECT_EQ(fake_.shell.started().size(), 1u);
}

TEST_F(RestartTest, LowerCaseTrueStartsExcelHidden) {
  fake_.settings.Set(settings::kPellamShowStatusform, u"true");
  RunMain();
  ASSERT_EQ(fake_.shell.started().size(), 1u);
  EXPECT_EQ(fake_.shell.started()[0].show, ShowWindow::kHidden);
}

}  // namespace
}  // namespace zarn
