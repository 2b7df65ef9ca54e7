// The dumps as part of the daemon's restart: the keys of [ZARN], which
// processes are dumped, before anything is ended, and the log lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "process/hang_dump.h"
#include "testing/fake_platform.h"
#include "testing/reporting_checker.h"
#include "watchdog/build_title.h"
#include "watchdog/main_mod.h"

namespace zarn {
namespace {

constexpr char16_t kConfig[] = u"C:\\Tools\\Daemon\\ZARN.cfg";
constexpr char16_t kDumps[] = u"C:\\Tools\\Daemon\\Dumps";

// A hung checker's Excel (812) with its window, a second registered Excel
// (944) and our own id (4242) on the list; NeuStarten pressed at start-up.
class DumpRestartTest : public ::testing::Test {
 protected:
  DumpRestartTest() { Prepare(fake_); }

  static void Prepare(FakePlatform& fake, bool press_neu_starten = true) {
    PrepareReportingChecker(fake);
    fake.settings.Set(settings::kProcessIds, u"(812)(4242)(944)(812)");
    fake.windows.AddWindow(u"XLMain", kCaption, 812);
    fake.processes.AddProcess(812, u"EXCEL.EXE");
    fake.processes.AddProcess(944, u"EXCEL.EXE");
    if (press_neu_starten) {
      fake.status_view.PressOnCall(1, UserAction::kNeuStarten);
    }
    fake.clock.set_sleep_limit(10);
  }

  static void RunMain(FakePlatform& fake, std::string_view zarn_section) {
    fake.file_system.AddFile(kConfig, "[ZARN]\r\n" + std::string(zarn_section));
    Platform platform = fake.platform();
    Main(platform);
  }
  void RunMain(std::string_view zarn_section) { RunMain(fake_, zarn_section); }
  static std::vector<std::string> LogLines(const FakePlatform& fake) {
    std::vector<std::string> lines;
    std::string log = fake.file_appender.File(kLogPath).value_or("");
    for (size_t end; (end = log.find("\r\n")) != std::string::npos;) {
      lines.push_back(log.substr(0, end));
      log.erase(0, end + 2);
    }
    return lines;
  }
  std::vector<std::string> LogLines() const { return LogLines(fake_); }
  static std::string Line(int id, const std::string& message) {
    return "07.12.2026 09:00:00,0, Typ: 7, ID: " + std::to_string(id) +
           ", \"Err: " + message + "\"";
  }

  FakePlatform fake_;
};

TEST_F(DumpRestartTest, DumpsEachProcessOnceBeforeAnythingIsEnded) {
  std::vector<size_t> ended_before;
  fake_.dumps.set_on_dump([&](uint32_t) {
    ended_before.push_back(fake_.processes.terminations().size());
  });
  RunMain("DUMPPFAD=Dumps\r\n");
  ASSERT_EQ(fake_.dumps.requests().size(), 2u);
  EXPECT_EQ(fake_.dumps.requests()[0].path,
            u"C:\\Tools\\Daemon\\Dumps\\ZARN_2026-12-07T08-00-00Z_PC01_anna_"
            u"PID812.dmp");
  EXPECT_EQ(fake_.dumps.requests()[1].process_id, 944u);
  EXPECT_EQ(ended_before, (std::vector<size_t>{0, 0}));
  EXPECT_FALSE(fake_.processes.IsRunning(812));
  EXPECT_FALSE(fake_.processes.IsRunning(944));
  // The restart's line is the same as without dumps, after theirs.
  EXPECT_EQ(LogLines(),
            (std::vector<std::string>{
                Line(812,
                     "ZARND: Dump von Prozess 812 geschrieben: "
                     "'C:\\Tools\\Daemon\\Dumps\\ZARN_2026-12-07T08-00-00Z_"
                     "PC01_anna_PID812.dmp'"),
                Line(944,
                     "ZARND: Dump von Prozess 944 geschrieben: "
                     "'C:\\Tools\\Daemon\\Dumps\\ZARN_2026-12-07T08-00-00Z_"
                     "PC01_anna_PID944.dmp'"),
                Line(0, "ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls'")}));
  EXPECT_EQ(fake_.settings.Get(settings::kStartedByDaemon), u"True");
  EXPECT_EQ(fake_.shell.started().size(), 1u);
}

TEST_F(DumpRestartTest, DumpMaxKeepsThatManyAndAFailedDumpStillRestarts) {
  fake_.dumps.AddFile(
      u"C:\\Tools\\Daemon\\Dumps\\ZARN_2026-12-01T09-00-00Z_"
      u"PC01_anna_PID5.dmp");
  fake_.dumps.AddFile(u"C:\\Tools\\Daemon\\Dumps\\Bericht.txt");
  fake_.dumps.SetDump(944, {DumpStatus::kNoProcess, 87});
  RunMain("DUMPPFAD = Dumps\r\nDUMPMAX=1\r\n");
  EXPECT_EQ(
      fake_.dumps.FilesIn(kDumps),
      (std::vector<std::u16string>{
          u"Bericht.txt", u"ZARN_2026-12-07T08-00-00Z_PC01_anna_PID812.dmp"}));
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], Line(944,
                           "ZARND: Kein Dump von Prozess 944: Der Prozess "
                           "l\xE4sst sich nicht \xF6"
                           "ffnen (Fehler 87)."));
  EXPECT_FALSE(fake_.processes.IsRunning(944));
  EXPECT_EQ(fake_.shell.started().size(), 1u);
}

// Without DUMPPFAD the restart is the one of old: no dump, no folder, no
// question about free space.
TEST_F(DumpRestartTest, WithoutDumpFolderNothingIsDumped) {
  for (const char* section :
       {"", "DUMPPFAD=\r\n", "DUMPPFAD=   \r\nDUMPMAX=3\r\n"}) {
    SCOPED_TRACE(section);
    FakePlatform fake;
    Prepare(fake);
    RunMain(fake, section);
    EXPECT_TRUE(fake.dumps.requests().empty());
    EXPECT_EQ(fake.dumps.free_space_queries(), 0);
    EXPECT_TRUE(fake.file_system.create_calls().empty());
    EXPECT_FALSE(fake.processes.IsRunning(812));
    EXPECT_EQ(LogLines(fake),
              (std::vector<std::string>{Line(
                  0, "ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls'")}));
    EXPECT_TRUE(fake.message_box.shown().empty());
  }
}

// A dump folder on a share that does not answer, named as it is or lying
// in a program folder on it: the checker is started again at most the
// dump budget and a second later than without dumps.
TEST_F(DumpRestartTest, BlockedDumpFolderDelaysTheRestartByTheBudgetAtMost) {
  const auto restart_at = [](const char* section, std::u16string_view share) {
    FakePlatform fake;
    Prepare(fake);
    fake.dumps.SetCallMs(share, FakeDumpWriter::kNetworkTimeoutMs);
    RunMain(fake, section);
    EXPECT_EQ(fake.shell.started().size(), 1u);
    return fake.clock.elapsed_ms();
  };
  const int64_t undumped = restart_at("", u"C:\\Tools");
  for (const auto& [section, share] :
       {std::pair{"DUMPPFAD=\\\\server\\share\\Dumps\r\n",
                  u"\\\\server\\share"},
        std::pair{"DUMPPFAD=Dumps\r\n", u"C:\\Tools"}}) {
    SCOPED_TRACE(section);
    const int64_t delay = restart_at(section, share) - undumped;
    EXPECT_GE(delay, kDumpBudgetMs);
    EXPECT_LE(delay, kDumpBudgetMs + 1000);
  }
}

// dbghelp is loaded ahead of a restart that the limit brings, with WMI,
// and only where dumps are on.
TEST_F(DumpRestartTest, DumpWriterIsReadiedAheadOnlyWhenDumpsAreOn) {
  for (bool on : {true, false}) {
    SCOPED_TRACE(on);
    FakePlatform fake;
    Prepare(fake, /*press_neu_starten=*/false);
    fake.clock.set_sleep_limit(100);
    int prepared_before_restart = -1;
    fake.dumps.set_on_dump([&](uint32_t) {
      prepared_before_restart = fake.dumps.prepare_count();
    });
    RunMain(fake, on ? "CANCELTIME=00:00:05\r\nDUMPPFAD=Dumps\r\n"
                     : "CANCELTIME=00:00:05\r\n");
    EXPECT_EQ(fake.dumps.prepare_count(), on ? 1 : 0);
    EXPECT_EQ(prepared_before_restart, on ? 1 : -1);
    EXPECT_EQ(fake.settings.Get(settings::kStartedByDaemon), u"True");
  }
}

TEST_F(DumpRestartTest, MalformedDumpMaxIsReportedAndTheDefaultKeeps) {
  for (const char* value : {"0", "-1", "1000", "fünf", "5 Stück", "2.5"}) {
    SCOPED_TRACE(value);
    FakePlatform fake;
    fake.settings.Set(settings::kDaemonCommand, u"RUN");
    fake.file_system.AddFile(
        kConfig, std::string("[ZARN]\r\nDUMPMAX=") + value + "\r\n");
    fake.status_view.PressOnCall(1, UserAction::kCmdAbbruch);
    Platform platform = fake.platform();
    Main(platform);
    ASSERT_EQ(fake.message_box.shown().size(), 1u);
    EXPECT_EQ(fake.message_box.shown()[0].text,
              u"Die DUMPMAX in der Sektion [ZARN] der Konfiguration ist "
              u"keine ganze Zahl von 1 bis 999. Der Wert wird auf 5 gesetzt.");
    EXPECT_EQ(fake.message_box.shown()[0].title, BuildTitle());
    EXPECT_EQ(fake.message_box.shown()[0].kind,
              MessageKind::kCriticalSystemModal);
  }
}

}  // namespace
}  // namespace zarn
