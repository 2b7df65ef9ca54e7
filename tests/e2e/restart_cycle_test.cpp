// The road of one restart with every piece real: SimExcel reports and
// hangs, the daemon ends it through ProcessIDs and a werfault.exe of the
// user through WMI, logs, and the association opens the workbook again in
// a new SimExcel that finds the hand-over.
#include <gtest/gtest.h>

#include "daemon_fixture.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_status_view.h"
#include "testing/win32/test_processes.h"

namespace zarn::e2e {
namespace {

using win32_test::HelperProcess;

constexpr wchar_t kShortLimits[] =
    L"CANCELTIME=00:00:02\r\nLOADTIME=00:00:02\r\nSPECIALCELLSTIME=00:00:"
    L"02\r\n";

class RestartCycleTest : public DaemonFixture {
 protected:
  // Splits a daemon log line into its date text and the rest after it.
  static std::pair<std::string, std::string> SplitAtNumber(
      const std::string& line) {
    const size_t comma = line.find(",0, Typ: ");
    if (comma == std::string::npos) return {"", line};
    return {line.substr(0, comma), line.substr(comma)};
  }

  // Short limits and a checker that reports twice a second and falls
  // silent after a second; `restarted` is the scenario of the copy opened
  // again. The workbook's path.
  std::wstring WriteHangingChecker(const std::wstring& restarted) {
    WriteConfig(kShortLimits);
    return WriteScenario(L"Prüfung.zsim",
                         L"[first]\n"
                         L"report_interval_ms=500\n"
                         L"silent_after=1\n"
                         L"[restarted]\n" +
                             restarted);
  }
};

TEST_F(RestartCycleTest, HungCheckerIsEndedLoggedAndReopenedWithTheHandOver) {
  const std::wstring workbook = WriteHangingChecker(
      L"report_interval_ms=500\n"
      L"finish_after=1\n"
      L"start_daemon=0\n");
  RegisterSimExcel();
  HelperProcess werfault(L"werfault.exe");
  ASSERT_TRUE(werfault.running());
  auto clock = NewWin32Clock();
  const DateTime before = clock->Read().local;

  WatchedProcess first = StartSimExcel(workbook);
  ASSERT_TRUE(first.valid());
  WatchedProcess daemon = WaitForDaemon();
  ASSERT_TRUE(daemon.valid());
  ASSERT_NE(WaitForStatusWindow(daemon.id()), nullptr);

  // Silent after a second, overdue two seconds later: the restart follows.
  EXPECT_TRUE(first.WaitForExit(kPatienceMs)) << SimLog();
  EXPECT_EQ(first.ExitCode(), 0u) << "KillProcess ends it with code 0";
  EXPECT_TRUE(werfault.WaitForExit(kPatienceMs));
  ASSERT_TRUE(daemon.WaitForExit(kPatienceMs));
  EXPECT_EQ(daemon.ExitCode(), 0u);
  ASSERT_TRUE(WaitForSimLog("finished")) << SimLog();
  const DateTime after = clock->Read().local;

  // The first SimExcel was started by hand, the second by the daemon.
  const auto first_start = SimStart(0);
  const auto second_start = SimStart(1);
  ASSERT_TRUE(first_start && second_start) << SimLog();
  EXPECT_EQ(first_start->first, first.id());
  EXPECT_EQ(first_start->second, L"\"" + workbook + L"\"");
  EXPECT_EQ(second_start->second, L"/r \"" + workbook + L"\"");
  EXPECT_EQ(SimStart(2), std::nullopt) << "one restart per daemon";
  EXPECT_NE(SimLog().find("restarted COMMAND=\"PRUEFE Kunde=4711\""),
            std::string::npos)
      << SimLog();

  // The hung process is off the list; the new one put itself on it.
  EXPECT_EQ(Setting(settings::kProcessIds), IdEntry(second_start->first));
  // The new checker cleared StartedByDaemon after reading "True".
  EXPECT_EQ(Setting(settings::kStartedByDaemon), u"");
  EXPECT_EQ(Setting(settings::kCommand), u"PRUEFE Kunde=4711");
  EXPECT_EQ(Setting(settings::kDaemonCommand), u"");

  // One line, in the ANSI code page, CR LF at its end.
  const std::optional<std::string> log = ReadFileBytes(daemon_log());
  ASSERT_TRUE(log.has_value()) << "no daemon log";
  const auto [date_text, rest] = SplitAtNumber(*log);
  EXPECT_EQ(rest, ",0, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN '" +
                      win32::ToAnsi(win32::FromWide(workbook)) + "'\"\r\n");
  const std::u16string date16 = win32::FromAnsi(date_text);
  const std::optional<DateTime> logged = regional_->ParseDateTime(date16);
  ASSERT_TRUE(logged.has_value()) << date_text;
  EXPECT_EQ(regional_->FormatDateTime(*logged), date16)
      << "the platform's own date text";
  EXPECT_GE(*logged - before, 0);
  EXPECT_LE(*logged - after, 0);
}

TEST_F(RestartCycleTest, RestartButtonRestartsTheReportingCheckerAtOnce) {
  WriteConfig(
      L"CANCELTIME=00:00:30\r\nLOADTIME=00:00:30\r\n"
      L"SPECIALCELLSTIME=00:00:30\r\n");
  const std::wstring workbook = WriteScenario(L"Prüfung.zsim",
                                              L"[first]\n"
                                              L"report_interval_ms=500\n"
                                              L"[restarted]\n"
                                              L"finish_after=0\n"
                                              L"start_daemon=0\n");
  RegisterSimExcel();
  WatchedProcess first = StartSimExcel(workbook);
  ASSERT_TRUE(first.valid());
  WatchedProcess daemon = WaitForDaemon();
  HWND window = WaitForStatusWindow(daemon.id());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ControlText(window, kNeuStartenId), L"Jetzt neu starten");
  ASSERT_TRUE(WaitUntil(
      [&] { return Setting(settings::kDaemonCommand).empty(); }, kPatienceMs));

  const ULONGLONG clicked = ::GetTickCount64();
  Click(window, kNeuStartenId);
  EXPECT_TRUE(
      WaitUntil([&] { return !::IsWindowVisible(window); }, kPatienceMs));
  ASSERT_TRUE(daemon.WaitForExit(kPatienceMs));
  // Far within the 30 seconds of the limit: the button did it.
  EXPECT_LT(::GetTickCount64() - clicked, 5000u);
  EXPECT_TRUE(first.WaitForExit(kPatienceMs));
  ASSERT_TRUE(WaitForSimLog("finished")) << SimLog();
  const auto second_start = SimStart(1);
  ASSERT_TRUE(second_start.has_value()) << SimLog();
  EXPECT_EQ(second_start->second, L"/r \"" + workbook + L"\"");
  EXPECT_NE(SimLog().find("restarted COMMAND=\"PRUEFE Kunde=4711\""),
            std::string::npos);
  EXPECT_EQ(Setting(settings::kProcessIds), IdEntry(second_start->first));
  const std::optional<std::string> log = ReadFileBytes(daemon_log());
  ASSERT_TRUE(log.has_value());
  EXPECT_TRUE(log->ends_with(",0, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN '" +
                             win32::ToAnsi(win32::FromWide(workbook)) +
                             "'\"\r\n"))
      << *log;
}

TEST_F(RestartCycleTest, RestartWithoutTheExcelWindowSkipsTheCleanUp) {
  const std::wstring workbook = WriteHangingChecker(
      L"finish_after=0\n"
      L"start_daemon=0\n");
  RegisterSimExcel();
  HelperProcess werfault(L"werfault.exe");
  ASSERT_TRUE(werfault.running());
  WatchedProcess first = StartSimExcel(workbook);
  ASSERT_TRUE(first.valid());
  WatchedProcess daemon = WaitForDaemon();
  ASSERT_NE(WaitForStatusWindow(daemon.id()), nullptr);
  // The checker's window title changed behind the daemon's back: no Excel
  // window bears the reported one.
  SetSetting(settings::kLiveStatusCaption, u"Mappe1 - Excel");

  ASSERT_TRUE(daemon.WaitForExit(kPatienceMs));
  ASSERT_TRUE(WaitForSimLog("finished")) << SimLog();
  const auto second_start = SimStart(1);
  ASSERT_TRUE(second_start.has_value()) << SimLog();
  EXPECT_EQ(second_start->second, L"/r \"" + workbook + L"\"");

  // Nothing was ended and the list kept its entry; the hand-over, the log
  // line and the launch happened all the same.
  EXPECT_TRUE(first.running());
  EXPECT_TRUE(werfault.running());
  EXPECT_EQ(Setting(settings::kProcessIds),
            IdEntry(first.id()) + IdEntry(second_start->first));
  EXPECT_EQ(Setting(settings::kCommand), u"PRUEFE Kunde=4711");
  EXPECT_TRUE(FileExists(daemon_log()));
}

}  // namespace
}  // namespace zarn::e2e
