// A restart as the event log sees it. Wine keeps no event log: its
// ReportEventW prints each insertion string on the eventlog debug channel
// of the process, whose output the daemon inherits from SimExcel, and
// SimExcel from this test. So this test only runs the restart;
// check_restart_event.cmake runs it under that channel and reads what the
// daemon wrote.
#include <gtest/gtest.h>

#include "daemon_fixture.h"

namespace zarn::e2e {
namespace {

using RestartEventTest = DaemonFixture;

TEST_F(RestartEventTest, HungCheckerIsRestarted) {
  WriteConfig(
      L"CANCELTIME=00:00:02\r\nLOADTIME=00:00:02\r\n"
      L"SPECIALCELLSTIME=00:00:02\r\n");
  const std::wstring workbook = WriteScenario(L"Ereignis.zsim",
                                              L"[first]\n"
                                              L"report_interval_ms=500\n"
                                              L"silent_after=1\n"
                                              L"[restarted]\n"
                                              L"finish_after=1\n"
                                              L"start_daemon=0\n");
  RegisterSimExcel();
  WatchedProcess first = StartSimExcel(workbook);
  ASSERT_TRUE(first.valid());
  WatchedProcess daemon = WaitForDaemon();
  ASSERT_TRUE(daemon.valid());
  EXPECT_TRUE(daemon.WaitForExit(kPatienceMs));
  EXPECT_TRUE(WaitForSimLog("finished")) << SimLog();
}

}  // namespace
}  // namespace zarn::e2e
