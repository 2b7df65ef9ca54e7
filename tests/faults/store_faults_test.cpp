// The real daemon against a settings store that misbehaves: a checker that
// rewrites its report a hundred times a second, values of the wrong
// registry type, a process-ID list of 10,000 entries, and a workbook name
// with a quotation mark.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "fault_fixture.h"
#include "testing/win32/win32_test_support.h"

namespace zarn::faults {
namespace {

class StoreFaultTest : public DaemonFaultTest {
 protected:
  // A stand-in for the checker's Excel, its window captioned kCaption, for
  // `seconds`.
  static ToolProcess StartExcelStandIn(int seconds) {
    return ToolProcess(win32::OwnFolder() + L"proc_helper.exe",
                       L"--window \"" + std::wstring(kCaption) +
                           L"\" --seconds " + std::to_wstring(seconds));
  }

  // Whether Excel's window captioned kCaption shows within 15 s.
  static bool ExcelWindowAppears() {
    return WaitUntil(
        [] { return ::FindWindowW(L"XLMain", kCaption) != nullptr; }, 15000);
  }

  // The store as a restart leaves it when the checker never reported: the
  // command handed over, the status reset to the marker; besides that only
  // the values of `changed`.
  static void ExpectStoreAfterRestart(
      const Snapshot& before,
      std::map<std::wstring, std::wstring> changed = {}) {
    changed.insert({{L"DAEMONCOMMAND", L""},
                    {L"LiveStatusTime", ExpectNeverReported()},
                    {L"LiveStatus", L""},
                    {L"StartedByDaemon", L"True"},
                    {L"COMMAND", kCommand}});
    ExpectStoreKept(before, changed);
  }
};

// A value of another type that carries the bytes of a text.
RawValue Typed(DWORD type, const std::wstring& text) {
  RawValue value = Text(text);
  value.type = type;
  return value;
}

RawValue Dword(DWORD number) {
  const auto* p = reinterpret_cast<const uint8_t*>(&number);
  return {REG_DWORD, std::vector<uint8_t>(p, p + sizeof number)};
}

// A checker that reports ten seconds behind, alternating two texts of each
// value, for 20 s. The reports are fresh under the one-minute limits of its
// two activities; any half-read activity would select the two-second
// CANCELTIME, and any half-read time (a date alone, a cut-off time) would
// lie minutes or hours back, so either would restart the checker.
TEST_F(StoreFaultTest, CheckerRewritingItsReportHundredTimesASecond) {
  WriteCheckerValues();
  ASSERT_TRUE(app_.WriteLimits("00:00:02", "00:01:00", "00:01:00"));
  Report(10, L"SpecialCells");
  const Snapshot before = TakeSnapshot();

  const std::wstring count_file = app_ / L"rounds.txt";
  ToolProcess writer(win32::OwnFolder() + L"status_writer.exe",
                     L"20 10 \"" + count_file + L"\"");
  ASSERT_TRUE(writer.started());
  DaemonProcess daemon(app_);
  ASSERT_TRUE(daemon.started());
  ASSERT_TRUE(daemon.WaitForWindow(15000)) << "no status window";

  // The daemon supervises until the writer says "Finished".
  ASSERT_EQ(writer.WaitForExit(60000), 0) << "writer failed or hung";
  EXPECT_TRUE(daemon.running()) << "the daemon ended while reports were fresh";
  EXPECT_EQ(daemon.WaitForExit(5000), 0) << "no end after \"Finished\"";

  const long rounds =
      std::strtol(app_.ReadFile(L"rounds.txt").c_str(), nullptr, 10);
  EXPECT_GE(rounds, 20 * 50) << "the writer wrote too seldom to count";
  EXPECT_TRUE(app_.ExcelRecord().empty()) << "the checker was restarted";
  EXPECT_EQ(Log(), "");
  // Besides the checker's own values, the daemon wrote nothing but the
  // cleared hand-over command.
  const std::wstring time = ReadText(L"LiveStatusTime").value_or(L"?");
  const std::wstring func = ReadText(L"LiveStatusFunc").value_or(L"?");
  ExpectStoreKept(before, {{L"DAEMONCOMMAND", L""},
                           {L"LiveStatus", L"Finished"},
                           {L"LiveStatusTime", time},
                           {L"LiveStatusFunc", func}});
}

TEST_F(StoreFaultTest, HandOverCommandOfAnotherTypeEndsAtOnceAndWritesNothing) {
  WriteCheckerValues();
  ASSERT_TRUE(WriteRaw(L"DAEMONCOMMAND", Dword(4711)));
  Report(0);
  const Snapshot before = TakeSnapshot();

  DaemonProcess daemon(app_);
  ASSERT_TRUE(daemon.started());
  EXPECT_EQ(daemon.WaitForExit(15000), 0);
  ExpectStoreKept(before);
}

// LiveStatus holds "Finished" and LiveStatusFunc "SpecialCells", but not as
// text: neither counts. No report can be read, so the daemon gives up at
// its two-second limit without restarting and without writing.
TEST_F(StoreFaultTest, StatusValuesOfOtherTypesCountAsMissing) {
  WriteCheckerValues();
  ASSERT_TRUE(app_.WriteLimits("00:00:02", "00:01:00", "00:01:00"));
  ASSERT_TRUE(WriteRaw(L"LiveStatusTime", Dword(45000)));
  ASSERT_TRUE(WriteRaw(L"LiveStatus", Typed(REG_BINARY, L"Finished")));
  ASSERT_TRUE(
      WriteRaw(L"LiveStatusFunc", Typed(REG_MULTI_SZ, L"SpecialCells")));
  ASSERT_TRUE(WriteRaw(L"LiveStatusExec", Typed(REG_BINARY, L"x.xls")));
  const Snapshot before = TakeSnapshot();

  DaemonProcess daemon(app_);
  ASSERT_TRUE(daemon.started());
  const HWND window = daemon.WaitForWindow(15000);
  ASSERT_TRUE(window);
  const ULONGLONG shown = Ticks();
  EXPECT_EQ(daemon.ControlText(window, kCancelTimeId), L"00:00:02");
  EXPECT_EQ(daemon.WaitForExit(15000), 0);
  // Not at once, as "Finished" would have it: at the two-second deadline.
  EXPECT_GE(daemon.exit_ticks() - shown, 1500u);
  EXPECT_TRUE(app_.ExcelRecord().empty());
  ExpectStoreKept(before, {{L"DAEMONCOMMAND", L""}});
}

// A list kept as bytes is no list: the clean-up ends nothing from it and
// leaves it as it was, and the restart goes on.
TEST_F(StoreFaultTest, ProcessListOfAnotherTypeIsLeftAlone) {
  WriteCheckerValues();
  ASSERT_TRUE(app_.WriteLimits("00:00:02"));
  ToolProcess excel = StartExcelStandIn(60);
  ASSERT_TRUE(excel.started());
  ASSERT_TRUE(ExcelWindowAppears());
  const RawValue list =
      Typed(REG_BINARY, L"(" + std::to_wstring(excel.id()) + L")");
  ASSERT_TRUE(WriteRaw(L"ProcessIDs", list));
  Report(60);
  const Snapshot before = TakeSnapshot();

  DaemonProcess daemon(app_);
  ASSERT_TRUE(daemon.started());
  EXPECT_EQ(daemon.WaitForExit(30000), 0);
  EXPECT_TRUE(excel.running()) << "a process of the byte list was ended";
  EXPECT_TRUE(WaitUntil([&] { return !app_.ExcelRecord().empty(); }, 15000));
  ExpectStoreAfterRestart(before);
}

// 10,000 entries of identifiers no process can have (odd numbers), with
// the checker's Excel last: all of them go, Excel is ended, and the restart
// follows within a bound.
TEST_F(StoreFaultTest, ProcessListOfTenThousandEntriesIsWorkedOff) {
  WriteCheckerValues();
  ASSERT_TRUE(app_.WriteLimits("00:00:02"));
  ToolProcess excel = StartExcelStandIn(300);
  ASSERT_TRUE(excel.started());
  ASSERT_TRUE(ExcelWindowAppears());
  std::wstring list;
  for (int i = 0; i < 10000; ++i) {
    list += L"(" + std::to_wstring(1000001 + 2 * i) + L")";
  }
  list += L"(" + std::to_wstring(excel.id()) + L")";
  ASSERT_TRUE(WriteText(L"ProcessIDs", list));
  Report(60);
  const Snapshot before = TakeSnapshot();

  const ULONGLONG start = Ticks();
  DaemonProcess daemon(app_);
  ASSERT_TRUE(daemon.started());
  EXPECT_EQ(daemon.WaitForExit(120000), 0) << "the clean-up hung";
  RecordProperty("restart_ms", std::to_string(Ticks() - start));
  EXPECT_EQ(excel.WaitForExit(10000), 0) << "Excel was not ended";
  EXPECT_TRUE(WaitUntil([&] { return !app_.ExcelRecord().empty(); }, 15000));
  ExpectStoreAfterRestart(before, {{L"ProcessIDs", L""}});
}

// A quotation mark would end the workbook's argument early and hand Excel
// a command line of the checker's making: nothing is started, and the log
// says why (123, the name is not valid).
TEST_F(StoreFaultTest, WorkbookNameWithQuotationMarkIsNotLaunched) {
  WriteCheckerValues();
  ASSERT_TRUE(app_.WriteLimits("00:00:02"));
  const std::wstring exec = L"Prüf\" /x \"" + app_.workbook();
  ASSERT_TRUE(WriteText(L"LiveStatusExec", exec));
  Report(60);

  DaemonProcess daemon(app_);
  ASSERT_TRUE(daemon.started());
  EXPECT_EQ(daemon.WaitForExit(30000), 0);
  ::Sleep(1000);
  EXPECT_TRUE(app_.ExcelRecord().empty()) << "something was started";
  const std::vector<std::string> lines = Lines(Log());
  ASSERT_EQ(lines.size(), 2u) << Log();
  const std::string path = win32::ToAnsi(win32::FromWide(app_.path() + exec));
  EXPECT_NE(lines[0].find(",0, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN '" +
                          path + "'\""),
            std::string::npos)
      << lines[0];
  EXPECT_NE(lines[1].find(",123, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN "
                          "fehlgeschlagen '" +
                          path + "'\""),
            std::string::npos)
      << lines[1];
  EXPECT_EQ(ReadText(L"StartedByDaemon"), L"True");
}

}  // namespace
}  // namespace zarn::faults
