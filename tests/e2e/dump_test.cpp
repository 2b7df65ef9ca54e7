// The dump of a hung checker with every piece real: SimExcel hangs, the
// daemon writes a minidump of it into DUMPPFAD before ending it, keeps the
// newest DUMPMAX of its own user's dumps from this computer there, and
// restarts the checker as ever.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "daemon_fixture.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_dump_writer.h"
#include "process/dump_names.h"
#include "testing/win32/test_minidump.h"

namespace zarn::e2e {
namespace {

// Time for the dump (seconds of CPU in Wine's dbghelp on a busy machine,
// at most ten by the daemon's own budget) and the restart after it.
constexpr DWORD kDumpPatienceMs = 60000;

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      names.push_back(entry.cFileName);
    }
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

class DumpTest : public DaemonFixture {};

TEST_F(DumpTest, HungCheckerIsDumpedThenRestartedAndOldDumpsGo) {
  WriteConfig(
      L"CANCELTIME=00:00:02\r\nLOADTIME=00:00:02\r\nSPECIALCELLSTIME=00:00:"
      L"02\r\nDUMPPFAD=Dumps\r\nDUMPMAX=3\r\n");
  const std::wstring dumps = app() + L"Dumps\\";
  ASSERT_TRUE(::CreateDirectoryW(dumps.c_str(), nullptr));
  // Four older dumps of ours, and files that only look like ours: another
  // user's, another computer's, and one of an earlier version.
  const DumpOwner owner = NewWin32DumpWriter()->Owner();
  const auto ours = [&](int year, int month, uint32_t id) {
    return win32::ToWide(
        DumpFileName(DateTime::FromCivil(year, month, 1), owner, id));
  };
  const std::vector<std::wstring> older = {ours(2025, 3, 11), ours(2026, 1, 22),
                                           ours(2024, 12, 33),
                                           ours(2026, 2, 44)};
  const std::vector<std::wstring> foreign = {
      L"ZARN_2020-01-01_00-00-00_PID1.dmp.bak",
      L"Notiz zum Hänger.txt",
      L"EXCEL_2020-01-01_00-00-00_PID1.dmp",
      L"ZARN_2020-01-01_00-00-00_PID1.dmp",
      win32::ToWide(DumpFileName(DateTime::FromCivil(2020, 1, 1),
                                 {owner.machine, owner.user + u"x"}, 1)),
      win32::ToWide(DumpFileName(DateTime::FromCivil(2020, 1, 1),
                                 {owner.machine + u"X", owner.user}, 1))};
  for (const auto& name : older)
    ASSERT_TRUE(WriteFileBytes(dumps + name, "alt"));
  for (const auto& name : foreign) {
    ASSERT_TRUE(WriteFileBytes(dumps + name, "fremd"));
  }
  const std::wstring workbook = WriteScenario(L"Prüfung.zsim",
                                              L"[first]\n"
                                              L"report_interval_ms=500\n"
                                              L"silent_after=1\n"
                                              L"[restarted]\n"
                                              L"report_interval_ms=500\n"
                                              L"finish_after=1\n"
                                              L"start_daemon=0\n");
  RegisterSimExcel();

  WatchedProcess first = StartSimExcel(workbook);
  ASSERT_TRUE(first.valid());
  WatchedProcess daemon = WaitForDaemon();
  ASSERT_TRUE(daemon.valid());
  ASSERT_TRUE(daemon.WaitForExit(kDumpPatienceMs));
  EXPECT_TRUE(first.WaitForExit(kPatienceMs)) << "ended after its dump";
  ASSERT_TRUE(WaitForSimLog("finished")) << SimLog();
  const auto second_start = SimStart(1);
  ASSERT_TRUE(second_start.has_value()) << SimLog();
  EXPECT_EQ(second_start->second, L"/r \"" + workbook + L"\"");

  // The new dump and the two newest older ones; the foreign files stay.
  const std::wstring suffix = L"_PID" + std::to_wstring(first.id()) + L".dmp";
  std::vector<std::wstring> files = FilesIn(dumps);
  const auto fresh = std::find_if(files.begin(), files.end(), [&](auto& n) {
    return OwnDumpAge(win32::FromWide(n), owner) && n.ends_with(suffix);
  });
  ASSERT_NE(fresh, files.end()) << "no dump of " << first.id() << "; log:\n"
                                << ReadFileBytes(daemon_log()).value_or("");
  const std::wstring dump_path = dumps + *fresh;
  std::vector<std::wstring> expected = foreign;
  expected.insert(expected.end(), {*fresh, older[1], older[3]});
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files, expected);

  const std::optional<std::string> bytes = ReadFileBytes(dump_path);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_TRUE(win32_test::IsDumpOfThreadsAndModule(*bytes, L"SimExcel.exe"));

  // One line for the dump, then the restart's line as it always was.
  const std::optional<std::string> log = ReadFileBytes(daemon_log());
  ASSERT_TRUE(log.has_value());
  const std::string dump_line =
      ", Typ: 7, ID: " + std::to_string(first.id()) +
      ", \"Err: ZARND: Dump von Prozess " + std::to_string(first.id()) +
      " geschrieben: '" + win32::ToAnsi(win32::FromWide(dump_path)) + "'\"\r\n";
  const std::string restart_line =
      ",0, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN '" +
      win32::ToAnsi(win32::FromWide(workbook)) + "'\"\r\n";
  const size_t dump_at = log->find(dump_line);
  EXPECT_NE(dump_at, std::string::npos) << *log;
  EXPECT_TRUE(log->ends_with(restart_line)) << *log;
  EXPECT_EQ(std::count(log->begin(), log->end(), '\n'), 2) << *log;
}

}  // namespace
}  // namespace zarn::e2e
