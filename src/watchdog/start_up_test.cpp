#include "watchdog/start_up.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/text.h"
#include "testing/fake_platform.h"

namespace zarn {
namespace {

constexpr char16_t kDaemonFolder[] = u"C:\\Tools\\Daemon\\";

class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() { fake_.settings.Set(settings::kDaemonCommand, u"RUN"); }

  void AddConfig(std::u16string_view candidate, std::string_view text) {
    fake_.file_system.AddFile(kDaemonFolder + std::u16string(candidate), text);
  }
  StartUpResult Run() {
    platform_ = std::make_unique<Platform>(fake_.platform());
    StartUp start_up(*platform_, helpers_, reader_, values_, restarts_, dumps_,
                     events_);
    return start_up.Run();
  }
  // The paths probed, each once, in order (a missing local path is asked
  // again in its drive-letter form).
  std::vector<std::u16string> Probes() const {
    std::vector<std::u16string> out;
    for (const std::u16string& path : fake_.file_system.attribute_queries()) {
      if (out.empty() || out.back() != path) out.push_back(path);
    }
    return out;
  }

  FakePlatform fake_;
  Unc unc_{fake_.network_drives};
  Helpers helpers_{fake_.file_system, fake_.http, unc_};
  CfgReader reader_{helpers_, fake_.file_system, fake_.code_pages};
  DaemonValues values_;
  RestartLimit restarts_{fake_.settings, fake_.status_view};
  HangDump dumps_{fake_.dumps, helpers_, fake_.clock};
  EventReport events_{fake_.event_log};
  std::unique_ptr<Platform> platform_;
};

TEST_F(StartUpTest, NotesFolderLogPathCommandAndStartTime) {
  fake_.settings.Set(settings::kDaemonLog, u"C:\\Logs\\d.log");
  fake_.command_line = u"/run 1";
  EXPECT_EQ(Run(), StartUpResult::kSupervise);
  EXPECT_EQ(values_.program_folder, kDaemonFolder);
  EXPECT_EQ(values_.daemon_log_path, u"C:\\Logs\\d.log");
  EXPECT_EQ(values_.daemon_command, u"RUN");
  EXPECT_TRUE(values_.debug_start);
  EXPECT_EQ(values_.supervision_start, fake_.clock.Now());
  EXPECT_EQ(values_.config_file_path, u"");
}

TEST_F(StartUpTest, ExecutableAtADriveRootGivesTheRootAsFolder) {
  fake_.exe_path = u"C:\\ZARNDaemon.exe";
  Run();
  EXPECT_EQ(values_.program_folder, u"C:\\");
}

TEST_F(StartUpTest, WithoutAnyCandidateOnlyTheFirstPassProbes) {
  Run();
  const std::vector<std::u16string> expected = {
      u"C:\\Tools\\Daemon\\..\\..\\..\\velmora-suite\\cfg\\Velmora-Suite.cfg",
      u"C:\\Tools\\Daemon\\..\\..\\velmora-suite\\cfg\\Velmora-Suite.cfg",
      u"C:\\Tools\\Daemon\\Velmora-Suite.cfg",
      u"C:\\Tools\\Daemon\\..\\..\\Velmora-Suite-Plugins\\cfg\\Velmora-"
      u"Suite.cfg",
      u"C:\\Tools\\Daemon\\..\\cfg\\Velmora-Suite.cfg",
      u"C:\\Tools\\Daemon\\ZARN.cfg",
  };
  EXPECT_EQ(Probes(), expected);
  EXPECT_EQ(fake_.file_system.read_count(), 0);
}

TEST_F(StartUpTest, ChoiceReadsOneFileAndKeepsItsPathUnnormalised) {
  AddConfig(u"..\\cfg\\Velmora-Suite.cfg", "[ZARN]\r\nCANCELTIME=00:20:00\r\n");
  AddConfig(u"..\\..\\Velmora-Suite-Plugins\\cfg\\Velmora-Suite.cfg",
            "[ZARN]\r\nCANCELTIME=00:30:00\r\n");
  Run();
  EXPECT_EQ(values_.config_file_path,
            u"C:\\Tools\\Daemon\\..\\cfg\\Velmora-Suite.cfg");
  EXPECT_EQ(values_.cancel_time.text(), u"00:20:00");
  EXPECT_EQ(fake_.file_system.read_count(), 1);
}

TEST_F(StartUpTest, RelativeTempFolderLiesBesideTheChosenFile) {
  AddConfig(u"ZARN.cfg",
            "[Velmora-Suite Scheduler]\r\nTEMPPFAD=Tmp\r\n[GLOBALS]\r\n"
            "TEMPPFAD=\r\n");
  AddConfig(u"..\\cfg\\Velmora-Suite.cfg", "[GLOBALS]\r\nTEMPPFAD=X\r\n");
  Run();
  EXPECT_EQ(values_.scheduler_temp_folder, u"C:\\Tools\\Daemon\\Tmp");
  EXPECT_TRUE(fake_.file_system.HasFolder(u"C:\\Tools\\Daemon\\Tmp"));
  // An empty TEMPPFAD in GLOBALS takes the scheduler's folder.
  EXPECT_EQ(values_.global_temp_folder, u"C:\\Tools\\Daemon\\Tmp");
}

TEST_F(StartUpTest, TempFoldersWithoutZarnSectionKeepTheLimits) {
  AddConfig(u"ZARN.cfg",
            "[Velmora-Suite Scheduler]\r\nTEMPPFAD=D:\\Sched\r\n[GLOBALS]\r\n"
            "TEMPPFAD=E:\\Global\r\n");
  fake_.file_system.AddFolder(u"E:\\");
  Run();
  EXPECT_EQ(values_.scheduler_temp_folder, u"D:\\Sched");
  EXPECT_EQ(values_.global_temp_folder, u"E:\\Global");
  EXPECT_TRUE(fake_.file_system.HasFolder(u"E:\\Global"));
  EXPECT_EQ(values_.cancel_time.text(), u"00:05:00");
  EXPECT_EQ(values_.load_time.text(), u"00:05:00");
  EXPECT_EQ(values_.special_cells_time.text(), u"00:30:00");
}

TEST_F(StartUpTest, EndsForASecondInstanceAndAnEmptyCommand) {
  fake_.processes.AddProcess(5, u"ZARNDaemon.exe");
  fake_.instance_lock.HoldElsewhere();
  EXPECT_EQ(Run(), StartUpResult::kSecondInstance);
  EXPECT_EQ(values_.daemon_command, u"");

  FakePlatform fake;
  Platform platform = fake.platform();
  DaemonValues values;
  RestartLimit restarts(fake.settings, fake.status_view);
  HangDump dumps(fake.dumps, helpers_, fake.clock);
  EventReport events(fake.event_log);
  StartUp start_up(platform, helpers_, reader_, values, restarts, dumps,
                   events);
  EXPECT_EQ(start_up.Run(), StartUpResult::kNoDaemonCommand);
  EXPECT_TRUE(fake.settings.writes().empty());
}

TEST_F(StartUpTest, DeepSuiteFolderIsReadAndItsTempFolderMade) {
  std::u16string suite = u"C:\\Suite";
  while (suite.size() < 280) suite += u"\\abcdefghij";
  fake_.exe_path = suite + u"\\bin\\ZARNDaemon.exe";
  fake_.file_system.AddFolder(suite + u"\\bin");
  fake_.file_system.AddFile(suite + u"\\cfg\\Velmora-Suite.cfg",
                            "[ZARN]\r\nCANCELTIME=00:10:00\r\n"
                            "[GLOBALS]\r\nTEMPPFAD=Temp\r\n");
  EXPECT_EQ(Run(), StartUpResult::kSupervise);
  EXPECT_EQ(values_.config_file_path,
            suite + u"\\bin\\..\\cfg\\Velmora-Suite.cfg");
  EXPECT_EQ(values_.cancel_time.text(), u"00:10:00");
  EXPECT_TRUE(fake_.file_system.HasFolder(suite + u"\\cfg\\Temp"));
}

TEST_F(StartUpTest, AnotherUsersDaemonIsNoSecondInstance) {
  // Whether or not its process can be opened, and even where that user
  // took our lock's name first.
  fake_.processes.AddProcess(5, u"ZARNDaemon.exe",
                             FakeProcessTable::Owner::kOtherUser, false);
  fake_.processes.AddProcess(6, u"ZARNDaemon.exe",
                             FakeProcessTable::Owner::kOtherUser, true);
  fake_.instance_lock.set_squatter(
      FakeInstanceLock::Squatter::kOtherUserDenied);
  EXPECT_EQ(Run(), StartUpResult::kSupervise);
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonCommand), u"");
}

TEST_F(StartUpTest, KeepsTheLockWhileItSupervises) {
  EXPECT_EQ(Run(), StartUpResult::kSupervise);
  EXPECT_TRUE(fake_.instance_lock.held());
}

TEST_F(StartUpTest, RestartLimitNeedsBothKeysWellFormedAndReportsTheRest) {
  const std::u16string off = u" Neustarts werden nicht begrenzt.";
  const std::u16string bad_max =
      u"Die RESTARTMAX in der Sektion [ZARN] der Konfiguration ist keine "
      u"ganze Zahl von 1 bis 999." +
      off;
  const std::u16string bad_time =
      u"Die RESTARTTIME in der Sektion [ZARN] der Konfiguration ist keine "
      u"Zeitspanne von 00:00:01 bis 23:59:59 im Format hh:mm:ss." +
      off;
  const std::u16string no_max =
      u"In der Sektion [ZARN] der Konfiguration fehlt RESTARTMAX zu "
      u"RESTARTTIME." +
      off;
  const std::u16string no_time =
      u"In der Sektion [ZARN] der Konfiguration fehlt RESTARTTIME zu "
      u"RESTARTMAX." +
      off;
  struct Case {
    const char* lines;
    int max;  // 0: no limit
    const char16_t* span;
    std::vector<std::u16string> messages;
  };
  const Case cases[] = {
      {"", 0, u"", {}},
      {"RESTARTMAX=\r\nRESTARTTIME=\r\n", 0, u"", {}},
      {"RESTARTMAX=2\r\nRESTARTTIME=00:10:00\r\n", 2, u"00:10:00", {}},
      {"RESTARTMAX = 3 \r\nRESTARTTIME = 01:00:00\r\n", 3, u"01:00:00", {}},
      {"RESTARTMAX=2\r\n", 0, u"", {no_time}},
      {"RESTARTTIME=00:10:00\r\n", 0, u"", {no_max}},
      {"RESTARTMAX=0\r\nRESTARTTIME=00:10:00\r\n", 0, u"", {bad_max}},
      {"RESTARTMAX=zwei\r\nRESTARTTIME=00:10:00\r\n", 0, u"", {bad_max}},
      {"RESTARTMAX=2\r\nRESTARTTIME=0:10:00\r\n", 0, u"", {bad_time}},
      {"RESTARTMAX=2\r\nRESTARTTIME=00:00:00\r\n", 0, u"", {bad_time}},
      {"RESTARTMAX=2\r\nRESTARTTIME=24:00:00\r\n", 0, u"", {bad_time}},
      {"RESTARTMAX=-1\r\nRESTARTTIME=1h\r\n", 0, u"", {bad_max, bad_time}},
      // The malformed key is reported; the missing one adds nothing.
      {"RESTARTMAX=x\r\n", 0, u"", {bad_max}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    FakePlatform fake;
    fake.settings.Set(settings::kDaemonCommand, u"RUN");
    fake.file_system.AddFile(
        u"C:\\Tools\\Daemon\\ZARN.cfg",
        std::string("[ZARN]\r\nCANCELTIME=00:05:00\r\n") + c.lines);
    Platform platform = fake.platform();
    Unc unc(fake.network_drives);
    Helpers helpers(fake.file_system, fake.http, unc);
    CfgReader reader(helpers, fake.file_system, fake.code_pages);
    DaemonValues values;
    RestartLimit restarts(fake.settings, fake.status_view);
    HangDump dumps(fake.dumps, helpers, fake.clock);
    EventReport events(fake.event_log);
    StartUp(platform, helpers, reader, values, restarts, dumps, events).Run();
    if (c.max == 0) {
      EXPECT_FALSE(restarts.quota().has_value());
      EXPECT_FALSE(fake.status_view.Caption(StatusLabel::kRestarts));
      const auto& reads = fake.settings.reads();
      EXPECT_EQ(std::count(reads.begin(), reads.end(),
                           std::u16string(settings::kDaemonRestarts)),
                0);
    } else {
      ASSERT_TRUE(restarts.quota().has_value());
      EXPECT_EQ(restarts.quota()->max_restarts, c.max);
      EXPECT_EQ(restarts.quota()->span.text(), c.span);
    }
    std::vector<std::u16string> shown;
    for (const ShownMessage& m : fake.message_box.shown()) {
      shown.push_back(m.text);
      EXPECT_EQ(m.title, u"ZARN Daemon (Build: 1-0-0)");
      EXPECT_EQ(m.kind, MessageKind::kCriticalSystemModal);
    }
    EXPECT_EQ(shown, c.messages);
  }
}

TEST_F(StartUpTest, RestartsWithinTheSpanAreShownOnceTheWindowIsUp) {
  AddConfig(u"ZARN.cfg", "[ZARN]\r\nRESTARTMAX=3\r\nRESTARTTIME=01:00:00\r\n");
  // 09:00 in Berlin is 08:00 UTC: two restarts within the hour, one older,
  // one unreadable.
  fake_.settings.Set(settings::kDaemonRestarts,
                     u"2026-12-07T06:59:00Z;2026-12-07T07:30:00Z;kaputt;"
                     u"2026-12-07T07:59:59Z");
  EXPECT_EQ(Run(), StartUpResult::kSupervise);
  EXPECT_EQ(fake_.status_view.Caption(StatusLabel::kRestarts),
            u"2 von 3 innerhalb 01:00:00");
  // They leave the span at 08:30:00 and 08:59:59 UTC, in running time.
  const int64_t start = values_.supervision_start_running_ms;
  EXPECT_EQ(restarts_.restarts_leave_span_running_ms(),
            (std::vector<int64_t>{start + 1800 * 1000, start + 3599 * 1000}));
  // Reading is all start-up does with the value.
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonRestarts),
            u"2026-12-07T06:59:00Z;2026-12-07T07:30:00Z;kaputt;"
            u"2026-12-07T07:59:59Z");
}

}  // namespace
}  // namespace zarn
