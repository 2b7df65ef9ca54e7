#include "process/hang_dump.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "process/excel_cleanup.h"
#include "testing/fake_clock.h"
#include "testing/fake_dump_writer.h"
#include "testing/fake_file_system.h"
#include "testing/fake_http_probe.h"
#include "testing/fake_network_drives.h"
#include "testing/fake_process_table.h"
#include "testing/fake_regional.h"
#include "testing/fake_settings_store.h"
#include "testing/fake_user_name.h"
#include "testing/fake_window_finder.h"
#include "testing/fake_wmi_process_service.h"

namespace zarn {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr char16_t kDumps[] = u"C:\\Daten\\Dumps";
const DateTime kWhen = DateTime::FromCivil(2026, 12, 7, 9, 5, 3);

std::string U8(std::u16string_view text) { return Utf16ToUtf8(text); }

class HangDumpTest : public ::testing::Test {
 protected:
  HangDumpTest() { fs_.AddFolder(u"C:\\Daten"); }

  std::vector<DumpLogLine> Dump(std::vector<uint32_t> ids, int max_kept = 5) {
    HangDump dump(writer_, helpers_, clock_, kDumps, max_kept);
    return dump.DumpProcesses(ids, kWhen);
  }
  static std::vector<std::u16string> Messages(
      const std::vector<DumpLogLine>& lines) {
    std::vector<std::u16string> out;
    for (const DumpLogLine& line : lines) out.push_back(line.message);
    return out;
  }

  FakeClock clock_;
  FakeFileSystem fs_;
  FakeHttpProbe http_;
  FakeNetworkDrives drives_;
  Unc unc_{drives_};
  Helpers helpers_{fs_, http_, unc_};
  FakeDumpWriter writer_{&clock_};
};

TEST_F(HangDumpTest, NamesSortByTimeAndOnlyOurOwnAreRecognised) {
  EXPECT_EQ(DumpFileName(kWhen, 812), u"ZARN_2026-12-07_09-05-03_PID812.dmp");
  EXPECT_EQ(
      DumpFileName(DateTime::FromCivil(2027, 1, 2, 23, 0, 9), 4294967295u),
      u"ZARN_2027-01-02_23-00-09_PID4294967295.dmp");
  struct Case {
    std::u16string name;
    bool ours;
  };
  const Case cases[] = {
      {u"ZARN_2026-12-07_09-05-03_PID812.dmp", true},
      {u"zarn_2026-12-07_09-05-03_pid812.DMP", true},
      {u"ZARN_2026-12-07_09-05-03_PID4294967295.dmp", true},
      {u"ZARN_2026-12-07_09-05-03_PID12345678901.dmp", false},
      {u"ZARN_2026-12-07_09-05-03_PID.dmp", false},
      {u"ZARN_2026-12-07_09-05-03_PID8x2.dmp", false},
      {u"ZARN_2026-12-07_09-05-03_PID812.dmp.txt", false},
      {u"ZARN_2026-12-07_09-05-03_PID812.dmpx", false},
      {u"ZARN_2026-12-07_9-05-03_PID812.dmp", false},
      {u"ZARN_2026-12-07 09-05-03_PID812.dmp", false},
      {u"ZARN_2026-12-07_09-05-03_812.dmp", false},
      {u"XZARN_2026-12-07_09-05-03_PID812.dmp", false},
      {u"EXCEL_2026-12-07_09-05-03_PID812.dmp", false},
      {u"ZARN_dump.dmp", false},
      {u"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.name));
    EXPECT_EQ(IsOurDumpName(c.name), c.ours);
  }
}

TEST_F(HangDumpTest, DumpMaxIsAWholeNumberFromOneTo999) {
  struct Case {
    std::u16string text;
    std::optional<int> value;
  };
  const Case cases[] = {
      {u"1", 1},
      {u"5", 5},
      {u"07", 7},
      {u"999", 999},
      {u"0", std::nullopt},
      {u"000", std::nullopt},
      {u"1000", std::nullopt},
      {u"-1", std::nullopt},
      {u"+5", std::nullopt},
      {u"5 Dumps", std::nullopt},
      {u"fünf", std::nullopt},
      {u"", std::nullopt},
      {u"2.5", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.text));
    EXPECT_EQ(ParseDumpMax(c.text), c.value);
  }
}

TEST_F(HangDumpTest, WritesOneDumpPerProcessAndNamesItsFile) {
  const auto lines = Dump({812, 944});
  EXPECT_TRUE(fs_.HasFolder(kDumps)) << "the folder is made when a dump is due";
  ASSERT_EQ(writer_.requests().size(), 2u);
  EXPECT_EQ(writer_.requests()[0].path,
            u"C:\\Daten\\Dumps\\ZARN_2026-12-07_09-05-03_PID812.dmp");
  EXPECT_EQ(writer_.requests()[0].budget_ms, 10000u);
  EXPECT_THAT(writer_.FilesIn(kDumps),
              ElementsAre(u"ZARN_2026-12-07_09-05-03_PID812.dmp",
                          u"ZARN_2026-12-07_09-05-03_PID944.dmp"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].process_id, 944u);
  EXPECT_EQ(lines[1].file,
            u"C:\\Daten\\Dumps\\ZARN_2026-12-07_09-05-03_PID944.dmp");
  EXPECT_EQ(lines[1].message,
            u"ZARND: Dump von Prozess 944 geschrieben: "
            u"'C:\\Daten\\Dumps\\ZARN_2026-12-07_09-05-03_PID944.dmp'");
}

// Our oldest dumps beyond DUMPMAX go after the new ones are written; files
// that are not ours stay, however much they look like ours.
TEST_F(HangDumpTest, PruningKeepsTheNewestOfOursAndNothingElseIsTouched) {
  const std::vector<std::u16string> older = {
      u"ZARN_2026-12-06_23-59-59_PID100.dmp",
      u"ZARN_2025-01-01_00-00-00_PID7.dmp",
      u"zarn_2026-12-07_08-00-00_pid9.DMP",
      u"ZARN_2026-12-07_08-00-00_PID10.dmp",
      u"ZARN_2026-11-30_12-00-00_PID55.dmp",
      u"ZARN_2026-12-07_09-05-03_PID11.dmp",
      u"ZARN_2026-12-07_08-00-00_PID9999999999.dmp",
      u"ZARN_2026-12-07_08-00-00_PID0000000011.dmp",
  };
  const std::vector<std::u16string> foreign = {
      u"notes.txt", u"ZARN_2020-01-01_00-00-00_PID1.dmp.bak", u"ZARN_dump.dmp",
      u"EXCEL_2020-01-01_00-00-00_PID1.dmp"};
  // Ours and the new one, oldest first, by time and then process id.
  const std::vector<std::u16string> by_age = {
      u"ZARN_2025-01-01_00-00-00_PID7.dmp",
      u"ZARN_2026-11-30_12-00-00_PID55.dmp",
      u"ZARN_2026-12-06_23-59-59_PID100.dmp",
      u"zarn_2026-12-07_08-00-00_pid9.DMP",
      u"ZARN_2026-12-07_08-00-00_PID10.dmp",
      u"ZARN_2026-12-07_08-00-00_PID0000000011.dmp",
      u"ZARN_2026-12-07_08-00-00_PID9999999999.dmp",
      u"ZARN_2026-12-07_09-05-03_PID11.dmp",
      u"ZARN_2026-12-07_09-05-03_PID812.dmp",
  };
  for (int max_kept : {1, 3, 5, 7, 9, 20}) {
    SCOPED_TRACE(max_kept);
    FakeDumpWriter writer(&clock_);
    for (const auto& name : older) writer.AddFile(kDumps + (u"\\" + name));
    for (const auto& name : foreign) writer.AddFile(kDumps + (u"\\" + name));
    writer.AddFile(u"C:\\Daten\\ZARN_2020-01-01_00-00-00_PID1.dmp");
    HangDump dump(writer, helpers_, clock_, kDumps, max_kept);
    dump.DumpProcesses({812}, kWhen);

    const size_t keep = std::min<size_t>(max_kept, by_age.size());
    std::vector<std::u16string> expected(foreign);
    expected.insert(expected.end(), by_age.end() - keep, by_age.end());
    std::vector<std::u16string> left = writer.FilesIn(kDumps);
    std::sort(expected.begin(), expected.end());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, expected);
    EXPECT_EQ(writer.removed().size(), by_age.size() - keep);
    EXPECT_TRUE(writer.HasFile(u"C:\\Daten\\ZARN_2020-01-01_00-00-00_PID1.dmp"))
        << "a dump outside the folder is no business of ours";
  }
}

TEST_F(HangDumpTest, NoDumpWhenTheFolderCantBeMade) {
  fs_.DenyCreateUnder(u"C:\\Daten");
  const auto lines = Dump({812, 944});
  EXPECT_THAT(writer_.requests(), IsEmpty());
  EXPECT_THAT(Messages(lines),
              ElementsAre(u"ZARND: Kein Dump von Prozess 812: Der Ordner "
                          u"'C:\\Daten\\Dumps' lässt sich nicht anlegen.",
                          u"ZARND: Kein Dump von Prozess 944: Der Ordner "
                          u"'C:\\Daten\\Dumps' lässt sich nicht anlegen."));
}

TEST_F(HangDumpTest, NoDumpWhenAFileStandsInTheFoldersPlace) {
  fs_.AddFile(u"D:\\Dumps", "x");
  HangDump dump(writer_, helpers_, clock_, u"D:\\Dumps", 5);
  const auto lines = dump.DumpProcesses({812}, kWhen);
  EXPECT_THAT(writer_.requests(), IsEmpty());
  EXPECT_THAT(Messages(lines),
              ElementsAre(u"ZARND: Kein Dump von Prozess 812: Der Ordner "
                          u"'D:\\Dumps' lässt sich nicht anlegen."));
}

TEST_F(HangDumpTest, NoDumpOnAVolumeWithLessThanOneGiBFree) {
  struct Case {
    std::optional<uint64_t> free;
    bool written;
  };
  const Case cases[] = {
      {(uint64_t{1} << 30) - 1, false},
      {0, false},
      {uint64_t{1} << 30, true},
      // A volume the system can't measure is tried.
      {std::nullopt, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.free ? std::to_string(*c.free) : "unknown");
    FakeDumpWriter writer(&clock_);
    writer.SetFreeBytes(kDumps, c.free);
    HangDump dump(writer, helpers_, clock_, kDumps, 5);
    const auto lines = dump.DumpProcesses({812}, kWhen);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(writer.requests().size(), c.written ? 1u : 0u);
    EXPECT_EQ(lines[0].file.empty(), !c.written);
    if (!c.written) {
      EXPECT_EQ(lines[0].message,
                u"ZARND: Kein Dump von Prozess 812: Auf dem Laufwerk von "
                u"'C:\\Daten\\Dumps' ist weniger als 1 GiB frei.");
    }
  }
}

// Ten seconds for all dumps of a restart: the second gets what the first
// left, is abandoned when that runs out, and the third never starts.
TEST_F(HangDumpTest, AllDumpsOfARestartShareTenSeconds) {
  writer_.SetDump(812, {DumpStatus::kWritten, 0}, 7000);
  writer_.SetDump(944, {DumpStatus::kWritten, 0}, 5000);
  const int64_t start = clock_.elapsed_ms();
  const auto lines = Dump({812, 944, 1001});
  EXPECT_EQ(clock_.elapsed_ms() - start, 10000);
  ASSERT_EQ(writer_.requests().size(), 2u);
  EXPECT_EQ(writer_.requests()[1].budget_ms, 3000u);
  EXPECT_THAT(writer_.FilesIn(kDumps),
              ElementsAre(u"ZARN_2026-12-07_09-05-03_PID812.dmp"));
  EXPECT_THAT(
      Messages(lines),
      ElementsAre(u"ZARND: Dump von Prozess 812 geschrieben: "
                  u"'C:\\Daten\\Dumps\\ZARN_2026-12-07_09-05-03_PID812.dmp'",
                  u"ZARND: Kein Dump von Prozess 944: Die 10 Sekunden für die "
                  u"Dumps sind abgelaufen, der begonnene Dump ist verworfen.",
                  u"ZARND: Kein Dump von Prozess 1001: Die 10 Sekunden für "
                  u"die Dumps sind verbraucht."));
}

TEST_F(HangDumpTest, EachFailureSaysWhy) {
  struct Case {
    DumpOutcome outcome;
    std::u16string reason;
  };
  const Case cases[] = {
      {{DumpStatus::kNoProcess, 5},
       u"Der Prozess lässt sich nicht öffnen (Fehler 5)."},
      {{DumpStatus::kNoFile, 80},
       u"Die Datei "
       u"'C:\\Daten\\Dumps\\ZARN_2026-12-07_09-05-03_PID812.dmp' lässt sich "
       u"nicht anlegen (Fehler 80)."},
      {{DumpStatus::kFailed, 0x8007012B},
       u"MiniDumpWriteDump meldet Fehler 0x8007012B."},
      {{DumpStatus::kUnavailable, 126},
       u"MiniDumpWriteDump ist nicht verfügbar (Fehler 126)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.reason));
    FakeDumpWriter writer(&clock_);
    writer.SetDump(812, c.outcome);
    HangDump dump(writer, helpers_, clock_, kDumps, 5);
    const auto lines = dump.DumpProcesses({812, 944}, kWhen);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].message,
              u"ZARND: Kein Dump von Prozess 812: " + c.reason);
    EXPECT_EQ(lines[0].file, u"");
    EXPECT_FALSE(lines[1].file.empty()) << "the next process is dumped";
  }
}

// The owner of the checker's window first, then the list as the clean-up
// takes it; each process once, never our own (4242), and the list stays.
TEST(ProcessesToDumpTest, WindowOwnerThenListedProcessesEachOnce) {
  struct Case {
    uint32_t owner;  // 0: no window of that title
    std::u16string list;
    std::vector<uint32_t> dumped;
  };
  const Case cases[] = {
      {812, u"(812)(944)", {812, 944}},
      {700, u"(812)(944)(812)", {700, 812, 944}},
      {0, u"(812)(944)", {812, 944}},
      {812, u"", {812}},
      {4242, u"(4242)(944)", {944}},
      {812, u"(0812)( 944)(+77)", {812, 944, 77}},
      {0, u"()(abc)(-5)(0)(99999999999)(944)", {944}},
      // Where the clean-up stops taking entries, the dumps stop too.
      {0, u"(812)x(944)", {812}},
      {0, u"812)(944)", {}},
      {0, u"(812)(944", {812}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.list));
    FakeSettingsStore settings;
    FakeProcessTable table{4242};
    FakeWindowFinder windows;
    FakeUserNameSource user{u"anna"};
    FakeWmiProcessService wmi;
    FakeRegional regional;
    ExcelCleanUp cleanup{settings, table, windows, user, wmi, regional};
    windows.AddWindow(u"XLMain", u"Other - Excel", 1);
    if (c.owner) windows.AddWindow(u"XLMain", u"ZARN - Excel", c.owner);
    settings.Set(settings::kProcessIds, c.list);
    EXPECT_EQ(cleanup.ProcessesToDump(u"ZARN - Excel"), c.dumped);
    EXPECT_EQ(settings.Get(settings::kProcessIds), c.list);
    EXPECT_THAT(table.terminations(), IsEmpty());
  }
}

}  // namespace
}  // namespace zarn
