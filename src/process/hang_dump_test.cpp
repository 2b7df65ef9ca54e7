#include "process/hang_dump.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/text.h"
#include "process/dump_names.h"
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
// 08:05:03 UTC.
const DateTime kWhen = DateTime::FromCivil(2026, 12, 7, 9, 5, 3);
const DumpOwner kAnnaOnPc01{u"PC01", u"anna"};

std::string U8(std::u16string_view text) { return Utf16ToUtf8(text); }

// Anna's dump of `id` at 08:05:03 UTC, as it stands in kDumps.
std::u16string AnnaPath(std::u16string_view id) {
  return Concat(
      {kDumps, u"\\ZARN_2026-12-07T08-05-03Z_PC01_anna_PID", id, u".dmp"});
}

class HangDumpTest : public ::testing::Test {
 protected:
  HangDumpTest() { writer_.AddFolder(u"C:\\Daten"); }

  std::vector<DumpLogLine> Dump(std::vector<uint32_t> ids, int max_kept = 5) {
    HangDump dump(writer_, helpers_, clock_, kDumps, max_kept);
    return dump.DumpProcesses(ids);
  }
  static std::vector<std::u16string> Messages(
      const std::vector<DumpLogLine>& lines) {
    std::vector<std::u16string> out;
    for (const DumpLogLine& line : lines) out.push_back(line.message);
    return out;
  }

  FakeClock clock_{kWhen};
  FakeFileSystem fs_;
  FakeHttpProbe http_;
  FakeNetworkDrives drives_;
  Unc unc_{drives_};
  Helpers helpers_{fs_, http_, unc_};
  FakeDumpWriter writer_{&clock_};
};

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
  EXPECT_TRUE(writer_.HasFolder(kDumps))
      << "the folder is made when a dump is due";
  EXPECT_EQ(writer_.runs(), std::vector<uint32_t>{10000});
  ASSERT_EQ(writer_.requests().size(), 2u);
  EXPECT_EQ(writer_.requests()[0].path, AnnaPath(u"812"));
  EXPECT_THAT(writer_.FilesIn(kDumps),
              ElementsAre(u"ZARN_2026-12-07T08-05-03Z_PC01_anna_PID812.dmp",
                          u"ZARN_2026-12-07T08-05-03Z_PC01_anna_PID944.dmp"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].process_id, 944u);
  EXPECT_EQ(lines[1].file, AnnaPath(u"944"));
  EXPECT_EQ(lines[1].message, u"ZARND: Dump von Prozess 944 geschrieben: '" +
                                  AnnaPath(u"944") + u"'");
}

// Our oldest dumps beyond DUMPMAX go after the new ones are written; files
// that are not ours stay, however much they look like ours and even where
// the folder would let us delete them: other users' and other computers'
// dumps, and those of earlier versions, which name no owner.
TEST_F(HangDumpTest, PruningKeepsTheNewestOfOursAndNothingElseIsTouched) {
  const std::vector<std::u16string> older = {
      u"ZARN_2026-12-06T23-59-59Z_PC01_anna_PID100.dmp",
      u"ZARN_2025-01-01T00-00-00Z_PC01_anna_PID7.dmp",
      u"zarn_2026-12-07t08-00-00z_pc01_ANNA_pid9.DMP",
      u"ZARN_2026-12-07T08-00-00Z_PC01_anna_PID10.dmp",
      u"ZARN_2026-11-30T12-00-00Z_PC01_anna_PID55.dmp",
      u"ZARN_2026-12-07T08-05-03Z_PC01_anna_PID11.dmp",
      u"ZARN_2026-12-07T08-00-00Z_PC01_anna_PID9999999999.dmp",
      u"ZARN_2026-12-07T08-00-00Z_PC01_anna_PID0000000011.dmp",
  };
  const std::vector<std::u16string> foreign = {
      u"notes.txt",
      u"ZARN_2020-01-01T00-00-00Z_PC01_anna_PID1.dmp.bak",
      u"ZARN_dump.dmp",
      u"EXCEL_2020-01-01T00-00-00Z_PC01_anna_PID1.dmp",
      u"ZARN_2020-01-01T00-00-00Z_PC01_bert_PID1.dmp",
      u"ZARN_2020-01-01T00-00-00Z_PC02_anna_PID1.dmp",
      u"ZARN_2020-01-01_00-00-00_PID1.dmp"};
  // Ours and the new one, oldest first, by time and then process id.
  const std::vector<std::u16string> by_age = {
      u"ZARN_2025-01-01T00-00-00Z_PC01_anna_PID7.dmp",
      u"ZARN_2026-11-30T12-00-00Z_PC01_anna_PID55.dmp",
      u"ZARN_2026-12-06T23-59-59Z_PC01_anna_PID100.dmp",
      u"zarn_2026-12-07t08-00-00z_pc01_ANNA_pid9.DMP",
      u"ZARN_2026-12-07T08-00-00Z_PC01_anna_PID10.dmp",
      u"ZARN_2026-12-07T08-00-00Z_PC01_anna_PID0000000011.dmp",
      u"ZARN_2026-12-07T08-00-00Z_PC01_anna_PID9999999999.dmp",
      u"ZARN_2026-12-07T08-05-03Z_PC01_anna_PID11.dmp",
      u"ZARN_2026-12-07T08-05-03Z_PC01_anna_PID812.dmp",
  };
  for (int max_kept : {1, 3, 5, 7, 9, 20}) {
    SCOPED_TRACE(max_kept);
    FakeDumpWriter writer(&clock_);
    writer.AddFolder(kDumps);
    writer.set_anyone_may_delete(true);
    for (const auto& name : older) writer.AddFile(kDumps + (u"\\" + name));
    for (const auto& name : foreign) {
      writer.AddFile(kDumps + (u"\\" + name), u"bert");
    }
    writer.AddFile(u"C:\\Daten\\ZARN_2020-01-01T00-00-00Z_PC01_anna_PID1.dmp");
    HangDump dump(writer, helpers_, clock_, kDumps, max_kept);
    dump.DumpProcesses({812});

    const size_t keep = std::min<size_t>(max_kept, by_age.size());
    std::vector<std::u16string> expected(foreign);
    expected.insert(expected.end(), by_age.end() - keep, by_age.end());
    std::vector<std::u16string> left = writer.FilesIn(kDumps);
    std::sort(expected.begin(), expected.end());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, expected);
    EXPECT_EQ(writer.removed().size(), by_age.size() - keep);
    EXPECT_TRUE(writer.HasFile(
        u"C:\\Daten\\ZARN_2020-01-01T00-00-00Z_PC01_anna_PID1.dmp"))
        << "a dump outside the folder is no business of ours";
  }
}

// Two users of one computer and one user of another share the folder, and
// each may delete only their own files: each daemon keeps DUMPMAX of its
// own, and leaves even what it could delete.
TEST_F(HangDumpTest, EachDaemonOfASharedFolderPrunesOnlyItsOwn) {
  writer_.AddFolder(kDumps);
  const DumpOwner owners[] = {
      kAnnaOnPc01, {u"PC01", u"bert"}, {u"PC02", u"anna"}};
  const auto name = [](DateTime utc, const DumpOwner& owner) {
    return DumpFileName(utc, owner, 100);
  };
  for (const DumpOwner& owner : owners) {
    for (int day : {1, 2, 3}) {
      writer_.AddFile(Concat({kDumps, u"\\",
                              name(DateTime::FromCivil(2026, 12, day), owner)}),
                      owner.user);
    }
  }
  std::vector<std::u16string> kept;
  for (const DumpOwner& owner : owners) {
    writer_.set_owner(owner);
    Dump({100}, 2);
    kept.push_back(name(DateTime::FromCivil(2026, 12, 3), owner));
    kept.push_back(name(DateTime::FromCivil(2026, 12, 7, 8, 5, 3), owner));
  }
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(writer_.FilesIn(kDumps), kept);
}

// A folder that can't be made, or a file in its place: no dump, and the
// reason for each process.
TEST_F(HangDumpTest, NoDumpWhereTheFolderCantBe) {
  for (const bool file_in_place : {false, true}) {
    SCOPED_TRACE(file_in_place ? "file in its place" : "denied");
    FakeDumpWriter writer(&clock_);
    if (file_in_place) {
      writer.AddFile(kDumps);
    } else {
      writer.DenyCreateUnder(u"C:\\Daten");
    }
    HangDump dump(writer, helpers_, clock_, kDumps, 5);
    const auto lines = dump.DumpProcesses({812, 944});
    EXPECT_THAT(writer.requests(), IsEmpty());
    EXPECT_THAT(Messages(lines),
                ElementsAre(u"ZARND: Kein Dump von Prozess 812: Der Ordner "
                            u"'C:\\Daten\\Dumps' lässt sich nicht anlegen.",
                            u"ZARND: Kein Dump von Prozess 944: Der Ordner "
                            u"'C:\\Daten\\Dumps' lässt sich nicht anlegen."));
  }
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
    writer.AddFolder(kDumps);
    writer.SetFreeBytes(kDumps, c.free);
    HangDump dump(writer, helpers_, clock_, kDumps, 5);
    const auto lines = dump.DumpProcesses({812});
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

// Ten seconds for all the work of a restart's dumps, whichever call takes
// them: a dump that is slow, a folder on a share that does not answer, a
// file on it, an old dump that can't be deleted in time. Where the time
// runs out, the process whose turn it was gets that said, and those after
// it that their turn never came.
TEST_F(HangDumpTest, AllTheWorkOfARestartSharesTenSeconds) {
  const auto ok = [](std::u16string_view id) {
    return Concat({u"ZARND: Dump von Prozess ", id, u" geschrieben: '",
                   AnnaPath(id), u"'"});
  };
  const auto no = [](std::u16string_view id, std::u16string_view why) {
    return Concat({u"ZARND: Kein Dump von Prozess ", id,
                   u": Die 10 Sekunden für die Dumps sind ", why});
  };
  const std::u16string begun = u"abgelaufen, der begonnene Dump ist verworfen.";
  const std::u16string folder =
      u"abgelaufen, bevor der Ordner 'C:\\Daten\\Dumps' bereit war.";
  const std::u16string old =
      Concat({kDumps, u"\\ZARN_2026-01-01T00-00-00Z_PC01_anna_PID5.dmp"});
  const int64_t kNever = FakeDumpWriter::kNetworkTimeoutMs;
  struct Case {
    std::vector<std::pair<std::u16string, int64_t>> slow;  // path, ms
    std::vector<std::u16string> messages;
    std::vector<std::u16string> files;
  };
  const Case cases[] = {
      // The second dump is slow.
      {{{AnnaPath(u"812"), 7000}, {AnnaPath(u"944"), 5000}},
       {ok(u"812"), no(u"944", begun), no(u"1001", u"verbraucht.")},
       {old, AnnaPath(u"812")}},
      // The share does not answer.
      {{{u"C:\\Daten", kNever}},
       {no(u"812", folder), no(u"944", folder), no(u"1001", folder)},
       {old}},
      // The second file is never created.
      {{{AnnaPath(u"944"), kNever}},
       {ok(u"812"), no(u"944", begun), no(u"1001", u"verbraucht.")},
       {old, AnnaPath(u"812")}},
      // An old dump is never deleted.
      {{{old, kNever}},
       {ok(u"812"), ok(u"944"), ok(u"1001")},
       {old, AnnaPath(u"1001"), AnnaPath(u"812"), AnnaPath(u"944")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.slow[0].first));
    FakeClock clock{kWhen};
    FakeDumpWriter writer(&clock);
    writer.AddFolder(u"C:\\Daten");
    writer.AddFile(old);
    for (const auto& [path, ms] : c.slow) writer.SetCallMs(path, ms);
    HangDump dump(writer, helpers_, clock, kDumps, 1);
    const auto lines = dump.DumpProcesses({812, 944, 1001});
    EXPECT_EQ(clock.elapsed_ms(), 10000);
    EXPECT_EQ(Messages(lines), c.messages);
    std::vector<std::u16string> files;
    for (const auto& name : writer.FilesIn(kDumps)) {
      files.push_back(kDumps + (u"\\" + name));
    }
    EXPECT_EQ(files, c.files);
  }
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
       u"Die Datei '" + AnnaPath(u"812") +
           u"' lässt sich nicht anlegen (Fehler 80)."},
      {{DumpStatus::kFailed, 0x8007012B},
       u"MiniDumpWriteDump meldet Fehler 0x8007012B."},
      {{DumpStatus::kUnavailable, 126},
       u"MiniDumpWriteDump ist nicht verfügbar (Fehler 126)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.reason));
    FakeDumpWriter writer(&clock_);
    writer.AddFolder(kDumps);
    writer.SetDump(812, c.outcome);
    HangDump dump(writer, helpers_, clock_, kDumps, 5);
    const auto lines = dump.DumpProcesses({812, 944});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].message,
              u"ZARND: Kein Dump von Prozess 812: " + c.reason);
    EXPECT_EQ(lines[0].file, u"");
    EXPECT_FALSE(lines[1].file.empty()) << "the next process is dumped";
  }
  // Without our names the dumps could not be told from others'.
  for (const DumpOwner& owner :
       {DumpOwner{u"", u"anna"}, DumpOwner{u"PC01", u""}}) {
    writer_.set_owner(owner);
    EXPECT_THAT(Messages(Dump({812})),
                ElementsAre(u"ZARND: Kein Dump von Prozess 812: Der Name des "
                            u"Rechners oder des Benutzers ist nicht lesbar."));
  }
  EXPECT_THAT(writer_.runs(), IsEmpty());
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
