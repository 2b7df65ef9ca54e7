#include "watchdog/start_up.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "testing/fake_platform.h"

namespace zarn {
namespace {

constexpr char16_t kFolder[] = u"C:\\Tools\\Daemon\\";

class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() { fake_.settings.Set(settings::kDaemonCommand, u"RUN"); }

  void AddConfig(std::u16string_view candidate, std::string_view text) {
    fake_.file_system.AddFile(kFolder + std::u16string(candidate), text);
  }
  StartUpResult Run() {
    platform_ = std::make_unique<Platform>(fake_.platform());
    StartUp start_up(*platform_, helpers_, reader_, values_);
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
  std::unique_ptr<Platform> platform_;
};

TEST_F(StartUpTest, NotesFolderLogPathCommandAndStartTime) {
  fake_.settings.Set(settings::kDaemonLog, u"C:\\Logs\\d.log");
  fake_.command_line = u"/run 1";
  EXPECT_EQ(Run(), StartUpResult::kSupervise);
  EXPECT_EQ(values_.program_folder, kFolder);
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
  StartUp start_up(platform, helpers_, reader_, values);
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

}  // namespace
}  // namespace zarn
