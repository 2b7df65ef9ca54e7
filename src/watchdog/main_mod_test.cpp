#include "watchdog/main_mod.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "testing/fake_platform.h"
#include "testing/reporting_checker.h"

namespace zarn {
namespace {

constexpr char16_t kFolder[] = u"C:\\Tools\\Daemon\\";

// Start-up up to the loop; cmdAbbruch, pressed while start-up processes
// its events, ends the daemon in the first cycle.
class MainModTest : public ::testing::Test {
 protected:
  MainModTest() {
    fake_.settings.Set(settings::kDaemonCommand, u"RUN");
    fake_.status_view.PressOnCall(1, UserAction::kCmdAbbruch);
    fake_.clock.set_sleep_limit(10);
  }

  void AddConfig(std::u16string_view candidate, std::string_view text) {
    fake_.file_system.AddFile(kFolder + std::u16string(candidate), text);
  }
  void RunMain() {
    Platform platform = fake_.platform();
    EXPECT_EQ(Main(platform), 0);
  }
  // The limit that start-up showed first.
  std::u16string ShownLimit() {
    return fake_.status_view.CaptionsOf(StatusLabel::kCancelTime).front();
  }
  // Runs start-up once per activity and gives the three limits it chose.
  std::vector<std::u16string> Limits(const std::string& config) {
    std::vector<std::u16string> limits;
    for (std::u16string_view func : {u"", u"WorkbooksOpen", u"SpecialCells"}) {
      FakePlatform fake;
      fake.settings.Set(settings::kDaemonCommand, u"RUN");
      fake.settings.Set(settings::kLiveStatusFunc, func);
      fake.status_view.PressOnCall(1, UserAction::kCmdAbbruch);
      if (!config.empty()) {
        fake.file_system.AddFile(u"C:\\Tools\\Daemon\\ZARN.cfg", config);
      }
      Platform platform = fake.platform();
      Main(platform);
      limits.push_back(
          fake.status_view.CaptionsOf(StatusLabel::kCancelTime).front());
    }
    return limits;
  }

  FakePlatform fake_;
};

TEST_F(MainModTest, StartUpFillsAndShowsTheWindowThenClearsTheCommand) {
  RunMain();
  const std::vector<std::string> expected = {"caption CancelTime: 00:05:00",
                                             "caption Status: Initialisiere...",
                                             "caption Status2: ",
                                             "show",
                                             "caption Status: Überwache...",
                                             "events",
                                             "hide",  // cmdAbbruch
                                             "unload"};
  EXPECT_EQ(fake_.journal.events(), expected);
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonCommand), u"");
  EXPECT_EQ(fake_.settings.reads(),
            (std::vector<std::u16string>{u"DaemonLog", u"LiveStatusFunc",
                                         u"DAEMONCOMMAND"}));
  EXPECT_EQ(fake_.settings.writes().size(), 1u);
}

TEST_F(MainModTest, EmptyDaemonCommandEndsAtOnceWritingNothing) {
  const char16_t* values[] = {nullptr, u""};
  for (const char16_t* value : values) {
    SCOPED_TRACE(value ? "empty" : "missing");
    FakePlatform fake;
    if (value) fake.settings.Set(settings::kDaemonCommand, value);
    Platform platform = fake.platform();
    Main(platform);
    EXPECT_TRUE(fake.settings.writes().empty());
    EXPECT_EQ(fake.status_view.event_calls(), 0);
    EXPECT_TRUE(fake.status_view.unloaded());
    EXPECT_TRUE(fake.clock.sleeps().empty());
    EXPECT_EQ(fake.file_appender.attempts(), 0);
  }
}

TEST_F(MainModTest, SecondInstanceEndsWithoutWindowOrWrite) {
  fake_.processes.AddProcess(77, u"C:\\Other\\zarndaemon.exe");
  fake_.instance_lock.HoldElsewhere();
  RunMain();
  EXPECT_EQ(fake_.status_view.show_count(), 0);
  EXPECT_TRUE(fake_.status_view.history().empty());
  EXPECT_TRUE(fake_.settings.writes().empty());
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonCommand), u"RUN");
}

// A checker that reports, restarted once within the hour of RESTARTMAX=1.
void PrepareRefusal(FakePlatform& f) {
  PrepareReportingChecker(f);
  f.file_system.AddFile(u"C:\\Tools\\Daemon\\ZARN.cfg",
                        "[ZARN]\r\nCANCELTIME=00:00:02\r\nRESTARTMAX=1\r\n"
                        "RESTARTTIME=01:00:00\r\n");
  f.settings.Set(settings::kDaemonRestarts, u"2026-12-07T07:30:00Z");
}

// Whatever ends a daemon, a checker started from then on gets a daemon of
// its own: the lock goes before the window, and before the reopened checker
// could start one.
TEST_F(MainModTest, EveryEndLetsGoOfTheLockFirst) {
  struct Case {
    const char* name;
    void (*prepare)(FakePlatform&);
    // The event that must come after the release.
    const char* after;
    // The end's entry in the event log, written once the lock has gone;
    // nullptr for none.
    const char* logged;
  };
  const Case cases[] = {
      {"cancelled",
       [](FakePlatform& f) {
         f.settings.Set(settings::kDaemonCommand, u"RUN");
         f.status_view.PressOnCall(1, UserAction::kCmdAbbruch);
       },
       "unload",  // the button has hidden the window
       nullptr},
      {"finished",
       [](FakePlatform& f) {
         f.settings.Set(settings::kDaemonCommand, u"RUN");
         f.settings.Set(settings::kLiveStatus, u"Finished");
       },
       "hide", nullptr},
      {"never reported",
       [](FakePlatform& f) {
         f.settings.Set(settings::kDaemonCommand, u"RUN");
         f.file_system.AddFile(u"C:\\Tools\\Daemon\\ZARN.cfg",
                               "[ZARN]\r\nCANCELTIME=00:00:02\r\n");
       },
       "hide", "event: 2000"},
      {"no command", [](FakePlatform&) {}, "unload", nullptr},
      {"restarted",
       [](FakePlatform& f) {
         PrepareReportingChecker(f);
         f.status_view.PressOnCall(1, UserAction::kNeuStarten);
       },
       "start: ", "event: 1001"},
      {"refused at the restart limit", PrepareRefusal, "hide", "event: 1010"},
      // The notice holds nothing up, and ends the daemon unanswered too.
      {"refused, its notice left unanswered",
       [](FakePlatform& f) {
         PrepareRefusal(f);
         f.message_box.set_unanswered(true);
       },
       "box: ZARN wurde am ", "event: 1010"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    c.prepare(fake);
    fake.clock.set_sleep_limit(10);
    fake.instance_lock.set_journal(&fake.journal);
    Platform platform = fake.platform();
    Main(platform);
    EXPECT_FALSE(fake.instance_lock.held_by_anyone());
    EXPECT_EQ(fake.instance_lock.releases(), 1);
    const int release = fake.journal.IndexOf("release");
    EXPECT_GE(release, 0);
    EXPECT_LT(release, fake.journal.IndexOf(c.after));
    const int logged = fake.journal.IndexOf("event: ");
    if (c.logged) {
      EXPECT_EQ(fake.journal.events()[logged], c.logged);
      EXPECT_LT(release, logged);
    } else {
      EXPECT_EQ(logged, -1);
    }
  }
}

TEST_F(MainModTest, SecondInstanceStillReportsAMalformedLimit) {
  fake_.processes.AddProcess(77, u"ZARNDaemon.exe");
  fake_.instance_lock.HoldElsewhere();
  AddConfig(u"ZARN.cfg", "[ZARN]\r\nCANCELTIME=0:05:00\r\n");
  RunMain();
  EXPECT_EQ(fake_.message_box.shown().size(), 1u);
  EXPECT_EQ(fake_.status_view.show_count(), 0);
  EXPECT_TRUE(fake_.settings.writes().empty());
}

TEST_F(MainModTest, ZarnCfgWinsOverTheSuiteConfiguration) {
  AddConfig(u"..\\cfg\\Velmora-Suite.cfg", "[ZARN]\r\nCANCELTIME=00:20:00\r\n");
  AddConfig(u"ZARN.cfg", "[ZARN]\r\nCANCELTIME=00:10:00\r\n");
  RunMain();
  EXPECT_EQ(ShownLimit(), u"00:10:00");
}

TEST_F(MainModTest, EachCandidateIsReadWhenItIsTheOnlyOne) {
  const char16_t* candidates[] = {
      u"..\\..\\..\\velmora-suite\\cfg\\Velmora-Suite.cfg",
      u"..\\..\\velmora-suite\\cfg\\Velmora-Suite.cfg",
      u"Velmora-Suite.cfg",
      u"..\\..\\Velmora-Suite-Plugins\\cfg\\Velmora-Suite.cfg",
      u"..\\cfg\\Velmora-Suite.cfg",
      u"ZARN.cfg",
  };
  for (const char16_t* candidate : candidates) {
    SCOPED_TRACE(Utf16ToUtf8(candidate));
    FakePlatform fake;
    fake.settings.Set(settings::kDaemonCommand, u"RUN");
    fake.status_view.PressOnCall(1, UserAction::kCmdAbbruch);
    fake.file_system.AddFile(kFolder + std::u16string(candidate),
                             "[ZARN]\r\nCANCELTIME=00:07:00\r\n");
    Platform platform = fake.platform();
    Main(platform);
    EXPECT_EQ(fake.status_view.CaptionsOf(StatusLabel::kCancelTime).front(),
              u"00:07:00");
  }
}

TEST_F(MainModTest, LimitsFromFileDefaultsAndMissingKeys) {
  struct Case {
    const char* name;
    std::string config;                  // empty: no file at all
    std::vector<std::u16string> limits;  // CANCEL, LOAD, SPECIALCELLS
  };
  const Case cases[] = {
      {"no file", "", {u"00:05:00", u"00:05:00", u"00:30:00"}},
      {"no ZARN section",
       "[GLOBALS]\r\nX=1\r\n",
       {u"00:05:00", u"00:05:00", u"00:30:00"}},
      {"LOADTIME missing",
       "[ZARN]\r\nCANCELTIME=00:10:00\r\n",
       {u"00:10:00", u"00:03:30", u"00:30:00"}},
      {"all set, blanks around the equals sign",
       "[ZARN]\r\nCANCELTIME = 00:10:00\r\nLOADTIME=00:02:00\r\n"
       "SPECIALCELLSTIME=01:00:00\r\n",
       {u"00:10:00", u"00:02:00", u"01:00:00"}},
      {"empty values",
       "[ZARN]\r\nCANCELTIME=\r\nLOADTIME=\r\nSPECIALCELLSTIME=\r\n",
       {u"00:05:00", u"00:03:30", u"00:30:00"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Limits(c.config), c.limits);
  }
}

TEST_F(MainModTest, MalformedLimitIsReportedAndFallsBack) {
  struct Case {
    const char* line;
    const char16_t* key;
    const char16_t* fallback;
    size_t index;  // into Limits()
  };
  const Case cases[] = {
      {"CANCELTIME=0:05:00", u"CANCELTIME", u"00:05:00", 0},
      {"CANCELTIME=00-10-00", u"CANCELTIME", u"00:05:00", 0},
      {"CANCELTIME=24:00:00", u"CANCELTIME", u"00:05:00", 0},
      {"LOADTIME=00:60:00", u"LOADTIME", u"00:03:30", 1},
      {"LOADTIME=+0:01:00", u"LOADTIME", u"00:03:30", 1},
      {"SPECIALCELLSTIME=99:99:99", u"SPECIALCELLSTIME", u"00:30:00", 2},
      {"SPECIALCELLSTIME=00:1 :00", u"SPECIALCELLSTIME", u"00:30:00", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string config = "[ZARN]\r\n" + std::string(c.line) + "\r\n";
    FakePlatform fake;
    fake.settings.Set(settings::kDaemonCommand, u"RUN");
    fake.status_view.PressOnCall(1, UserAction::kCmdAbbruch);
    fake.file_system.AddFile(u"C:\\Tools\\Daemon\\ZARN.cfg", config);
    Platform platform = fake.platform();
    Main(platform);
    ASSERT_EQ(fake.message_box.shown().size(), 1u);
    const ShownMessage& box = fake.message_box.shown()[0];
    EXPECT_EQ(box.text,
              u"Die " + std::u16string(c.key) +
                  u" in der Sektion [ZARN] der Konfiguration entspricht nicht "
                  u"dem Format hh:mm:ss. Der Wert wird auf " +
                  c.fallback + u" gesetzt.");
    EXPECT_EQ(box.title, u"ZARN Daemon (Build: 1-0-0)");
    EXPECT_EQ(box.kind, MessageKind::kCriticalSystemModal);
    // The box comes before the window, and its event before the box, which
    // waits for a click.
    EXPECT_EQ(fake.journal.IndexOf("event: 4000"), 0);
    EXPECT_EQ(fake.journal.IndexOf("box: "), 1);
    EXPECT_EQ(Limits(config)[c.index], c.fallback);
  }
}

TEST_F(MainModTest, TemporaryFoldersOfTheConfigurationAreCreated) {
  AddConfig(u"ZARN.cfg",
            "[Velmora-Suite Scheduler]\r\nTEMPPFAD=C:\\Temp\\Sched\r\n"
            "[GLOBALS]\r\nTEMPPFAD=D:\\Global\\Tmp\r\n");
  fake_.file_system.AddFolder(u"D:\\");
  RunMain();
  EXPECT_TRUE(fake_.file_system.HasFolder(u"C:\\Temp\\Sched"));
  EXPECT_TRUE(fake_.file_system.HasFolder(u"D:\\Global\\Tmp"));
  EXPECT_EQ(fake_.status_view.show_count(), 1);
}

TEST_F(MainModTest, FolderThatCannotBeMadeDoesNotStopStartUp) {
  AddConfig(u"ZARN.cfg",
            "[Velmora-Suite Scheduler]\r\nTEMPPFAD=Q:\\Nowhere\r\n"
            "[GLOBALS]\r\nTEMPPFAD=\r\n");
  fake_.file_system.DenyCreateUnder(u"Q:");
  RunMain();
  EXPECT_FALSE(fake_.file_system.HasFolder(u"Q:\\Nowhere"));
  EXPECT_TRUE(fake_.message_box.shown().empty());
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonCommand), u"");
}

TEST_F(MainModTest, WindowThatCannotBeShownLeavesTheSupervisionRunning) {
  fake_.status_view.set_show_result(false);
  RunMain();
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonCommand), u"");
  EXPECT_EQ(fake_.status_view.event_calls(), 1);
}

TEST_F(MainModTest, BothButtonsBeforeTheLoopLooksCancelWins) {
  fake_.status_view.PressOnCall(1, UserAction::kNeuStarten);
  fake_.settings.Set(settings::kLiveStatusTime,
                     fake_.regional.FormatDateTime(fake_.clock.Now()));
  RunMain();
  EXPECT_FALSE(fake_.settings.Has(settings::kStartedByDaemon));
  EXPECT_EQ(fake_.shell.start_attempts(), 0);
}

}  // namespace
}  // namespace zarn
