#include "watchdog/supervision.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/text.h"
#include "testing/fake_platform.h"
#include "watchdog/main_mod.h"

namespace zarn {
namespace {

DateTime At(int hour, int minute, int second) {
  return DateTime::FromCivil(2026, 12, 7, hour, minute, second);
}

constexpr char16_t kLogPath[] = u"C:\\Logs\\daemon.log";
constexpr char16_t kWorkbook[] = u"C:\\Tools\\Daemon\\Check.xls";

// What the window showed at the end of one cycle, and what the cycle read.
struct Cycle {
  DateTime at;
  int reads = 0;
  int clock_reads = 0;
  std::u16string cancel_time;
  std::u16string status;
  std::u16string status2;
};

class SupervisionTest : public ::testing::Test {
 protected:
  SupervisionTest() {
    fake_.settings.Set(settings::kDaemonCommand, u"RUN");
    fake_.settings.Set(settings::kLiveStatusExec, u"Check.xls");
    fake_.settings.Set(settings::kDaemonLog, kLogPath);
    fake_.file_system.AddFolder(u"C:\\Logs");
    fake_.shell.Associate(kWorkbook, u"C:\\Office\\EXCEL.EXE");
    fake_.clock.set_sleep_limit(7200);
    fake_.clock.set_on_sleep([this] { AfterPause(); });
  }

  // The checker's report as it writes it: the regional date-time text.
  void Report(DateTime when) {
    fake_.settings.Set(settings::kLiveStatusTime,
                       fake_.regional.FormatDateTime(when));
  }
  void SetFunc(std::u16string_view func) {
    fake_.settings.Set(settings::kLiveStatusFunc, func);
  }

  void RunMain() {
    Platform platform = fake_.platform();
    EXPECT_EQ(Main(platform), 0);
    // The cycle in which the daemon ended has no pause after it.
    RecordCycle(fake_.clock.Now());
    EXPECT_TRUE(fake_.status_view.unloaded());
    EXPECT_EQ(fake_.status_view.unload_count(), 1);
    EXPECT_EQ(fake_.status_view.calls_after_unload(), 0);
  }

  // The cycle at `when`; fails the test when there was none.
  const Cycle& CycleAt(DateTime when) {
    for (const Cycle& c : cycles_) {
      if (c.at == when) return c;
    }
    ADD_FAILURE() << "no cycle at second " << when.seconds();
    static const Cycle kNone;
    return kNone;
  }

  bool Restarted() const {
    return fake_.settings.Get(settings::kStartedByDaemon) == u"True";
  }
  std::vector<std::pair<std::u16string, std::u16string>> Writes() const {
    return fake_.settings.writes();
  }
  static std::string LogLine(const char* stamp, const char* message,
                             const char* number = "0") {
    return std::string(stamp) + "," + number +
           ", Typ: 7, ID: 0, \"Err: " + message + "\"\r\n";
  }

  // Runs at every pause with the clock moved on: the scripted checker.
  std::function<void(DateTime now)> checker_;
  FakePlatform fake_;
  std::vector<Cycle> cycles_;

 private:
  void AfterPause() {
    RecordCycle(fake_.clock.Now() - 1);
    if (checker_) checker_(fake_.clock.Now());
  }
  void RecordCycle(DateTime at) {
    const auto& reads = fake_.settings.reads();
    // The first cycle begins after start-up has taken DAEMONCOMMAND.
    if (cycles_.empty()) {
      for (size_t i = 0; i < reads.size(); ++i) {
        if (reads[i] == settings::kDaemonCommand) counted_ = i + 1;
      }
    }
    Cycle c;
    c.at = at;
    c.reads = static_cast<int>(reads.size() - counted_);
    counted_ = reads.size();
    c.clock_reads = fake_.clock.reads() - clock_counted_;
    clock_counted_ = fake_.clock.reads();
    c.cancel_time =
        fake_.status_view.Caption(StatusLabel::kCancelTime).value_or(u"-");
    c.status = fake_.status_view.Caption(StatusLabel::kStatus).value_or(u"-");
    c.status2 = fake_.status_view.Caption(StatusLabel::kStatus2).value_or(u"-");
    cycles_.push_back(c);
  }
  size_t counted_ = 0;
  // Start-up reads the clocks twice: before the window appears, and for
  // SupervisionStart.
  int clock_counted_ = 2;
};

TEST_F(SupervisionTest, FinishedEndsEvenWhenTheReportIsOverdue) {
  Report(At(8, 0, 0));
  fake_.settings.Set(settings::kLiveStatus, u"Finished");
  RunMain();
  EXPECT_FALSE(Restarted());
  EXPECT_EQ(fake_.shell.start_attempts(), 0);
  EXPECT_EQ(fake_.file_appender.attempts(), 0);
  EXPECT_EQ(fake_.status_view.hide_count(), 1);
  EXPECT_TRUE(fake_.clock.sleeps().empty());
  EXPECT_EQ(Writes().size(), 1u);  // only DAEMONCOMMAND cleared
}

TEST_F(SupervisionTest, FinishedMatchesLetterCaseExactly) {
  Report(At(8, 0, 0));
  fake_.settings.Set(settings::kLiveStatus, u"finished");
  RunMain();
  EXPECT_TRUE(Restarted());
}

TEST_F(SupervisionTest, CancelBeatsAnOverdueReport) {
  const UserAction actions[] = {UserAction::kCmdAbbruch,
                                UserAction::kFrameClose};
  for (UserAction action : actions) {
    SCOPED_TRACE(static_cast<int>(action));
    FakePlatform fake;
    fake.settings.Set(settings::kDaemonCommand, u"RUN");
    fake.settings.Set(settings::kLiveStatusTime,
                      fake.regional.FormatDateTime(At(9, 0, 0)));
    // Pressed in the cycle at 09:05:00; the report is overdue at 09:05:01.
    fake.status_view.PressAt(At(9, 5, 0), action);
    Platform platform = fake.platform();
    Main(platform);
    EXPECT_EQ(fake.clock.Now(), At(9, 5, 1));
    EXPECT_FALSE(fake.settings.Has(settings::kStartedByDaemon));
    EXPECT_EQ(fake.settings.writes().size(), 1u);
    EXPECT_EQ(fake.shell.start_attempts(), 0);
    // Hidden by the button, then only unloaded.
    EXPECT_EQ(fake.status_view.hide_count(), 1);
    EXPECT_EQ(fake.status_view.unload_count(), 1);
  }
}

TEST_F(SupervisionTest, ExactLimitWaitsOneMoreSecond) {
  Report(At(9, 0, 0));
  RunMain();
  EXPECT_EQ(CycleAt(At(9, 5, 0)).status, u"Starte neu in 00:00:00");
  EXPECT_EQ(CycleAt(At(9, 5, 0)).status2, u"00:05:00");
  EXPECT_EQ(cycles_.back().at, At(9, 5, 1));
  EXPECT_TRUE(Restarted());
  EXPECT_EQ(fake_.file_appender.File(kLogPath),
            LogLine("07.12.2026 09:05:01",
                    "ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls'"));
  ASSERT_EQ(fake_.shell.started().size(), 1u);
  EXPECT_EQ(fake_.shell.started()[0].command_line,
            u"\"C:\\Office\\EXCEL.EXE\" /r \"C:\\Tools\\Daemon\\Check.xls\"");
  EXPECT_EQ(fake_.shell.started()[0].show, ShowWindow::kNormal);
  EXPECT_EQ(fake_.status_view.hide_count(), 1);
}

TEST_F(SupervisionTest, CleanUpIsReadiedOnceAheadAndEndsNothingThen) {
  fake_.settings.Set(settings::kLiveStatusCaption, u"ZARN - Check.xls");
  fake_.windows.AddWindow(u"XLMain", u"ZARN - Check.xls");
  fake_.wmi.AddProcess(31, u"WerFault.exe", u"anna");
  std::vector<std::vector<std::string>> calls_at;
  // Due at 09:05:01, readied at 09:04:59; a report at 09:05:00 puts the
  // deadline off to 09:10:01.
  Report(At(9, 0, 0));
  checker_ = [this, &calls_at](DateTime now) {
    if (now == At(9, 4, 59) || now == At(9, 5, 0) || now == At(9, 10, 0)) {
      calls_at.push_back(fake_.wmi.calls());
    }
    if (now == At(9, 5, 0)) Report(now);
  };
  RunMain();
  ASSERT_EQ(calls_at.size(), 3u);
  EXPECT_TRUE(calls_at[0].empty());
  EXPECT_EQ(calls_at[1], std::vector<std::string>{"Connect"});
  EXPECT_EQ(calls_at[2], std::vector<std::string>{"Connect"});
  EXPECT_EQ(cycles_.back().at, At(9, 10, 1));
  EXPECT_FALSE(fake_.wmi.IsRunning(31));
  EXPECT_EQ(fake_.wmi.open_sessions(), 0);
}

TEST_F(SupervisionTest, CountdownStartsAtThirtySeconds) {
  Report(At(9, 0, 0));
  RunMain();
  EXPECT_EQ(CycleAt(At(9, 0, 29)).status, u"Überwache...");
  EXPECT_EQ(CycleAt(At(9, 0, 29)).status2, u"00:00:29");
  EXPECT_EQ(CycleAt(At(9, 0, 30)).status, u"Starte neu in 00:04:30");
  EXPECT_EQ(CycleAt(At(9, 0, 30)).status2, u"00:00:30");
  EXPECT_EQ(CycleAt(At(9, 0, 30)).cancel_time, u"00:05:00");
}

TEST_F(SupervisionTest, EachCycleReadsTheStoreAtMostFiveTimesAndTheClocksOnce) {
  // Never reported for ten seconds, then reported, then silent.
  checker_ = [this](DateTime now) {
    if (now == At(9, 0, 10)) Report(now);
  };
  RunMain();
  ASSERT_GT(cycles_.size(), 300u);
  for (size_t i = 0; i + 1 < cycles_.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_LE(cycles_[i].reads, 5);
    EXPECT_GE(cycles_[i].reads, 4);
    EXPECT_EQ(cycles_[i].clock_reads, 1);
  }
  EXPECT_EQ(CycleAt(At(9, 0, 5)).status, u"ZARN inaktiv, beende in 00:04:55");
  EXPECT_EQ(CycleAt(At(9, 0, 10)).status, u"Überwache...");
  // The report's time is converted once, when its text first appears, and
  // the current local time once, to check the zone's rules against the
  // system's clock.
  EXPECT_EQ(fake_.clock.conversions(), 2);
}

TEST_F(SupervisionTest, LowerCaseSpecialCellsSelectsCancelTime) {
  struct Case {
    const char16_t* func;
    const char16_t* caption;
    DateTime restart;
  };
  const Case cases[] = {
      {u"specialcells", u"00:05:00", At(9, 5, 1)},
      {u"SpecialCells", u"00:30:00", At(9, 30, 1)},
      {u"WorkbooksOpen", u"00:05:00", At(9, 5, 1)},
      {u" SpecialCells", u"00:05:00", At(9, 5, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.func));
    FakePlatform fake;
    fake.clock.set_sleep_limit(4000);
    fake.settings.Set(settings::kDaemonCommand, u"RUN");
    fake.settings.Set(settings::kLiveStatusFunc, c.func);
    fake.settings.Set(settings::kLiveStatusTime,
                      fake.regional.FormatDateTime(At(9, 0, 0)));
    Platform platform = fake.platform();
    Main(platform);
    EXPECT_EQ(fake.status_view.CaptionsOf(StatusLabel::kCancelTime).front(),
              c.caption);
    EXPECT_EQ(fake.clock.Now(), c.restart);
    EXPECT_EQ(fake.settings.Get(settings::kStartedByDaemon), u"True");
  }
}

TEST_F(SupervisionTest, SwitchAwayFromALongerLimitRestartsAtOnce) {
  fake_.file_system.AddFile(u"C:\\Tools\\Daemon\\ZARN.cfg",
                            "[ZARN]\r\nLOADTIME=00:10:00\r\n");
  Report(At(9, 0, 0));
  SetFunc(u"WorkbooksOpen");
  checker_ = [this](DateTime now) {
    if (now == At(9, 7, 0)) SetFunc(u"");
  };
  RunMain();
  EXPECT_EQ(CycleAt(At(9, 6, 59)).cancel_time, u"00:10:00");
  EXPECT_EQ(CycleAt(At(9, 6, 59)).status, u"Starte neu in 00:03:01");
  EXPECT_EQ(fake_.clock.Now(), At(9, 7, 0));
  EXPECT_TRUE(Restarted());
}

TEST_F(SupervisionTest, LimitChangeInsideACycleNeverShowsTimeThatIsGone) {
  // Each use of the limit reads LiveStatusFunc afresh. At 09:06:00 the
  // checker leaves WorkbooksOpen between the overdue test (10 minutes) and
  // the countdown (5 minutes, due a minute ago): the countdown stops at
  // zero, and the restart follows in the next cycle.
  fake_.file_system.AddFile(u"C:\\Tools\\Daemon\\ZARN.cfg",
                            "[ZARN]\r\nLOADTIME=00:10:00\r\n");
  Report(At(9, 0, 0));
  SetFunc(u"WorkbooksOpen");
  int func_reads = 0;
  fake_.settings.set_on_read([&](std::u16string_view key) {
    if (key == settings::kLiveStatusFunc && fake_.clock.Now() == At(9, 6, 0) &&
        ++func_reads == 2) {
      SetFunc(u"");
    }
  });
  RunMain();
  EXPECT_EQ(CycleAt(At(9, 5, 59)).status, u"Starte neu in 00:04:01");
  EXPECT_EQ(CycleAt(At(9, 6, 0)).status, u"Starte neu in 00:00:00");
  EXPECT_EQ(CycleAt(At(9, 6, 0)).cancel_time, u"00:05:00");
  EXPECT_EQ(fake_.clock.Now(), At(9, 6, 1));
  EXPECT_TRUE(Restarted());
}

TEST_F(SupervisionTest, NeuStartenWithoutReportWaitsForTheFirstReport) {
  fake_.status_view.PressAt(At(9, 0, 5), UserAction::kNeuStarten);
  checker_ = [this](DateTime now) {
    if (now == At(9, 2, 0)) Report(At(9, 1, 58));
  };
  RunMain();
  EXPECT_FALSE(fake_.status_view.visible());
  EXPECT_EQ(CycleAt(At(9, 1, 59)).status, u"ZARN inaktiv, beende in 00:03:01");
  EXPECT_EQ(fake_.clock.Now(), At(9, 2, 0));
  EXPECT_TRUE(Restarted());
  EXPECT_EQ(fake_.shell.started().size(), 1u);
}

TEST_F(SupervisionTest, NeuStartenWithoutAnyReportGivesUpAtTheDeadline) {
  fake_.status_view.PressAt(At(9, 0, 5), UserAction::kNeuStarten);
  RunMain();
  EXPECT_EQ(fake_.clock.Now(), At(9, 5, 1));
  EXPECT_FALSE(Restarted());
  EXPECT_EQ(fake_.file_appender.attempts(), 0);
  EXPECT_EQ(Writes().size(), 1u);
}

TEST_F(SupervisionTest, NeverReportedShowsTheWholeSpanLeftAndEndsSilently) {
  RunMain();
  EXPECT_EQ(CycleAt(At(9, 0, 10)).status, u"ZARN inaktiv, beende in 00:04:50");
  EXPECT_EQ(CycleAt(At(9, 0, 10)).status2, u"");
  EXPECT_EQ(CycleAt(At(9, 5, 0)).status, u"ZARN inaktiv, beende in 00:00:00");
  EXPECT_EQ(fake_.clock.Now(), At(9, 5, 1));
  EXPECT_EQ(fake_.status_view.hide_count(), 1);
  EXPECT_EQ(Writes().size(), 1u);
  EXPECT_EQ(fake_.file_appender.attempts(), 0);
  EXPECT_EQ(fake_.shell.lookups().size(), 0u);
}

TEST_F(SupervisionTest, UnreadableOrMarkerReportCountsAsNone) {
  const char16_t* texts[] = {u"gestern", u"", u"01.01.1900",
                             u"31.02.2026 10:00:00"};
  for (const char16_t* text : texts) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    FakePlatform fake;
    fake.clock.set_sleep_limit(4000);
    fake.settings.Set(settings::kDaemonCommand, u"RUN");
    fake.settings.Set(settings::kLiveStatusTime, text);
    Platform platform = fake.platform();
    Main(platform);
    EXPECT_EQ(fake.clock.Now(), At(9, 5, 1));
    EXPECT_FALSE(fake.settings.Has(settings::kStartedByDaemon));
    EXPECT_EQ(fake.status_view.CaptionsOf(StatusLabel::kStatus).back(),
              u"ZARN inaktiv, beende in 00:00:00");
  }
}

TEST_F(SupervisionTest, MarkerWrittenBackAfterTheDeadlineEndsTheDaemon) {
  // Reports every ten seconds until 09:06:00, then the marker.
  Report(At(9, 0, 0));
  checker_ = [this](DateTime now) {
    if (now == At(9, 6, 10)) {
      Report(kNeverReported);
    } else if (now <= At(9, 6, 0) && (now - At(9, 0, 0)) % 10 == 0) {
      Report(now);
    }
  };
  RunMain();
  EXPECT_EQ(CycleAt(At(9, 6, 9)).status, u"Überwache...");
  EXPECT_EQ(fake_.clock.Now(), At(9, 6, 10));
  EXPECT_FALSE(Restarted());
  EXPECT_EQ(Writes().size(), 1u);
}

}  // namespace
}  // namespace zarn
