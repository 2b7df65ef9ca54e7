#include "process/excel_cleanup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
#include "paths/helpers.h"
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
using ::testing::Pair;

constexpr uint32_t kOwnId = 4242;

// A list that never shrinks would loop for ever; end the test program
// loudly instead of hanging.
void GuardAgainstEndlessLoop(FakeSettingsStore& settings) {
  settings.set_on_read([reads = 0](std::u16string_view) mutable {
    if (++reads > 10000) {
      std::fputs("ProcessIDs read 10000 times: endless loop\n", stderr);
      std::abort();
    }
  });
}

class ExcelCleanUpTest : public ::testing::Test {
 protected:
  void SetUp() override { GuardAgainstEndlessLoop(settings_); }

  // Registers processes in the table, so that their kill can succeed.
  void Run(std::initializer_list<uint32_t> ids) {
    for (uint32_t id : ids) table_.AddProcess(id, u"EXCEL.EXE");
  }
  std::vector<uint32_t> Ended() const {
    std::vector<uint32_t> ids;
    for (const auto& [id, code] : table_.terminations()) {
      EXPECT_EQ(code, 0u);
      ids.push_back(id);
    }
    return ids;
  }
  std::optional<std::u16string> List() const {
    return settings_.Get(settings::kProcessIds);
  }

  FakeSettingsStore settings_;
  FakeProcessTable table_{kOwnId};
  FakeWindowFinder windows_;
  FakeUserNameSource user_{u"anna"};
  FakeWmiProcessService wmi_;
  FakeRegional regional_;
  ExcelCleanUp cleanup_{settings_, table_, windows_, user_, wmi_, regional_};
};

TEST_F(ExcelCleanUpTest, ExcelWindowOnlyWithExactTitle) {
  windows_.AddWindow(u"XLMain", u"ZARN Prüfung - Excel");
  windows_.AddWindow(u"Notepad", u"Other");
  EXPECT_TRUE(cleanup_.IsExcelWindowOpen(u"ZARN Prüfung - Excel"));
  EXPECT_FALSE(cleanup_.IsExcelWindowOpen(u"ZARN Prüfung"));
  // The window system ignores letter case.
  EXPECT_TRUE(cleanup_.IsExcelWindowOpen(u"zarn prüfung - excel"));
  EXPECT_FALSE(cleanup_.IsExcelWindowOpen(u"Other"));
  EXPECT_THAT(windows_.queries(),
              ElementsAre(Pair(u"XLMain", u"ZARN Prüfung - Excel"),
                          Pair(u"XLMain", u"ZARN Prüfung"),
                          Pair(u"XLMain", u"zarn prüfung - excel"),
                          Pair(u"XLMain", u"Other")));
}

TEST_F(ExcelCleanUpTest, EmptyCaptionIsNoWindowWithoutAsking) {
  windows_.AddWindow(u"XLMain", u"");
  EXPECT_FALSE(cleanup_.IsExcelWindowOpen(u""));
  EXPECT_THAT(windows_.queries(), IsEmpty());
}

// The forms a ProcessIDs value can take, and what is ended and left.
TEST_F(ExcelCleanUpTest, RegisteredProcessesEndAndListEmpties) {
  struct Case {
    std::optional<std::u16string> list;  // nullopt: no value at all
    std::vector<uint32_t> ended;
    std::optional<std::u16string> left;
  };
  const Case cases[] = {
      {u"(812)(944)", {812, 944}, u""},
      {u"(812)(812)", {812}, u""},
      {u"812)(944)", {}, u"812)(944)"},
      {u"(812", {}, u"(812"},
      {u"", {}, u""},
      {std::nullopt, {}, std::nullopt},
      {u"(4242)(812)(4242)", {812}, u""},
      {u"(812)(944", {812}, u"(944"},
      // An entry in another form of its number still leaves the list.
      {u"(0812)(944)", {812, 944}, u""},
      {u"( 812)(944)", {812, 944}, u""},
      {u"(+812)(944)", {812, 944}, u""},
      {u"(0812)(812)(0812)", {812}, u""},
      // Entries that name no process are dropped and skipped.
      {u"()(944)", {944}, u""},
      {u"(abc)(944)", {944}, u""},
      {u"(99999999999)(944)", {944}, u""},
      {u"(2147483648)(944)", {944}, u""},
      {u"(-5)(944)", {944}, u""},
      {u"(8 12)(944)", {944}, u""},
      {u"()", {}, u""},
      // Taking an entry never joins what is left into a new one.
      {u"(944)()(81()2)", {944}, u"2)"},
      {u"(944)(81(944)2)", {944}, u"2)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list ? Utf16ToUtf8(*c.list) : "missing");
    FakeSettingsStore settings;
    GuardAgainstEndlessLoop(settings);
    FakeProcessTable table{kOwnId};
    for (uint32_t id : {812u, 944u}) table.AddProcess(id, u"EXCEL.EXE");
    if (c.list) settings.Set(settings::kProcessIds, *c.list);
    ExcelCleanUp cleanup{settings, table, windows_, user_, wmi_, regional_};

    cleanup.KillRegisteredProcesses();

    std::vector<uint32_t> ended;
    for (const auto& [id, code] : table.terminations()) {
      EXPECT_EQ(code, 0u);
      ended.push_back(id);
    }
    EXPECT_EQ(ended, c.ended);
    EXPECT_EQ(settings.Get(settings::kProcessIds), c.left);
    EXPECT_TRUE(table.IsRunning(kOwnId));
  }
}

TEST_F(ExcelCleanUpTest, UnchangedListIsNotRewritten) {
  settings_.Set(settings::kProcessIds, u"812)");
  cleanup_.KillRegisteredProcesses();
  EXPECT_THAT(settings_.writes(), IsEmpty());
}

TEST_F(ExcelCleanUpTest, TakingGivesTheIdOrWhyNot) {
  settings_.Set(settings::kProcessIds, u"(812)(abc)(944)");
  EXPECT_EQ(cleanup_.TakeFirstProcessID(), 812);
  EXPECT_EQ(List(), u"(abc)(944)");
  EXPECT_EQ(cleanup_.TakeFirstProcessID(), -2);
  EXPECT_EQ(List(), u"(944)");
  EXPECT_EQ(cleanup_.TakeFirstProcessID(), 944);
  EXPECT_EQ(cleanup_.TakeFirstProcessID(), -1);
  EXPECT_EQ(List(), u"");
}

TEST_F(ExcelCleanUpTest, RemovalFindsOnlyTheExactEntry) {
  settings_.Set(settings::kProcessIds, u"(812)(0812)(8120)(812)");
  cleanup_.RemoveProcessID(812);
  EXPECT_EQ(List(), u"(0812)(8120)");
}

TEST_F(ExcelCleanUpTest, RemovalLeavesCopiesInsideMalformedEntries) {
  settings_.Set(settings::kProcessIds, u"(812)x(812)(9(812)1)(812)");
  cleanup_.RemoveProcessID(812);
  EXPECT_EQ(List(), u"x(812)(9(812)1)");
}

TEST_F(ExcelCleanUpTest, RemovalOfMinusOneMeansOurOwnProcess) {
  settings_.Set(settings::kProcessIds, u"(4242)(812)(4242)");
  cleanup_.RemoveProcessID(-1);
  EXPECT_EQ(List(), u"(812)");
  // Written back even when nothing changed.
  cleanup_.RemoveProcessID(-1);
  EXPECT_EQ(settings_.writes().size(), 2u);
}

TEST_F(ExcelCleanUpTest, StoreRefusingTheShorterListStillEndsTheLoop) {
  Run({812, 944});
  settings_.Set(settings::kProcessIds, u"(812)(944)");
  settings_.set_fail_writes(true);
  cleanup_.KillRegisteredProcesses();
  EXPECT_THAT(Ended(), ElementsAre(812u));
  EXPECT_EQ(List(), u"(812)(944)");
}

TEST_F(ExcelCleanUpTest, ResetWritesMarkerThenEmptyStatus) {
  cleanup_.ResetLiveStatus();
  EXPECT_THAT(settings_.writes(),
              ElementsAre(Pair(std::u16string(settings::kLiveStatusTime),
                               u"01.01.1900"),
                          Pair(std::u16string(settings::kLiveStatus), u"")));
}

TEST_F(ExcelCleanUpTest, UserNameIsKeptOnceRead) {
  user_.set_name(u"");
  EXPECT_EQ(cleanup_.GetCurrentUserName(), u"");
  user_.set_name(u"anna");
  EXPECT_EQ(cleanup_.GetCurrentUserName(), u"anna");
  user_.set_name(u"bernd");
  EXPECT_EQ(cleanup_.GetCurrentUserName(), u"anna");
  EXPECT_EQ(user_.call_count(), 2);
}

TEST_F(ExcelCleanUpTest, QueryTextIsExactAndNameIgnoresCase) {
  wmi_.AddProcess(501, u"WerFault.exe", u"anna");
  cleanup_.KillProcessesByNameAndOwner(u"werfault.exe", u"anna");
  EXPECT_THAT(wmi_.calls(),
              ElementsAre("Connect",
                          "ExecQuery Select Name from Win32_Process Where "
                          "Name = 'werfault.exe'",
                          "GetOwner 501", "Terminate 501"));
  EXPECT_THAT(wmi_.terminated(), ElementsAre(501u));
  EXPECT_EQ(wmi_.open_sessions(), 0);
}

TEST_F(ExcelCleanUpTest, OnlyTheGivenUsersProcessesEnd) {
  wmi_.AddProcess(501, u"werfault.exe", u"anna");
  wmi_.AddProcess(502, u"werfault.exe", u"bernd");
  wmi_.AddProcess(503, u"werfault.exe", u"Anna");
  wmi_.AddProcess(504, u"werfault.exe", std::nullopt);
  wmi_.AddProcess(505, u"dw20.exe", u"anna");
  cleanup_.KillProcessesByNameAndOwner(u"werfault.exe", u"anna");
  EXPECT_THAT(wmi_.terminated(), ElementsAre(501u));
  EXPECT_TRUE(wmi_.IsRunning(502));
  EXPECT_TRUE(wmi_.IsRunning(503));
  EXPECT_TRUE(wmi_.IsRunning(504));
  EXPECT_TRUE(wmi_.IsRunning(505));
}

TEST_F(ExcelCleanUpTest, EmptyUserNameEndsEveryUsersProcesses) {
  wmi_.AddProcess(501, u"werfault.exe", u"anna");
  wmi_.AddProcess(502, u"werfault.exe", u"bernd");
  cleanup_.KillProcessesByNameAndOwner(u"werfault.exe", u"");
  EXPECT_THAT(wmi_.terminated(), ElementsAre(501u, 502u));
  for (const std::string& call : wmi_.calls()) {
    EXPECT_FALSE(StartsWith(Utf8ToUtf16(call), u"GetOwner")) << call;
  }
}

TEST_F(ExcelCleanUpTest, OtherUsersCompanionSurvivesTheCleanUp) {
  wmi_.AddProcess(501, u"werfault.exe", u"anna");
  wmi_.AddProcess(502, u"werfault.exe", u"bernd");
  cleanup_.CleanUpExcel();
  EXPECT_THAT(wmi_.terminated(), ElementsAre(501u));
  EXPECT_TRUE(wmi_.IsRunning(502));
}

std::vector<std::u16string>& Traces() {
  static std::vector<std::u16string> traces;
  return traces;
}

TEST_F(ExcelCleanUpTest, UnknownUserEndsNoCompanionButTheListedProcesses) {
  Traces().clear();
  const TraceSink before = SetTraceSink(
      [](int, std::u16string_view text) { Traces().emplace_back(text); });
  user_.set_name(u"");
  wmi_.AddProcess(501, u"werfault.exe", u"anna");
  wmi_.AddProcess(502, u"dw20.exe", u"bernd");
  Run({812});
  settings_.Set(settings::kProcessIds, u"(812)");
  settings_.Set(settings::kLiveStatus, u"Running");

  cleanup_.CleanUpExcel();
  SetTraceSink(before);

  EXPECT_THAT(wmi_.calls(), IsEmpty());
  EXPECT_TRUE(wmi_.IsRunning(501));
  EXPECT_TRUE(wmi_.IsRunning(502));
  EXPECT_THAT(Traces(),
              ElementsAre(u"Der Benutzername ist nicht lesbar: werfault.exe, "
                          u"dwwin.exe, dw20.exe und Excelcnv.exe werden nicht "
                          u"beendet."));
  EXPECT_THAT(Ended(), ElementsAre(812u));
  EXPECT_EQ(List(), u"");
  EXPECT_EQ(settings_.Get(settings::kLiveStatus), u"");
  // The next clean-up asks for the name again.
  user_.set_name(u"anna");
  cleanup_.CleanUpExcel();
  EXPECT_THAT(wmi_.terminated(), ElementsAre(501u));
}

TEST_F(ExcelCleanUpTest, FailedTerminateEndsTheProcessById) {
  Run({501, 502});
  wmi_.AddProcess(501, u"werfault.exe", u"anna");
  wmi_.AddProcess(502, u"werfault.exe", u"bernd");
  wmi_.set_terminate_unsupported(true);
  cleanup_.KillProcessesByNameAndOwner(u"werfault.exe", u"anna");
  EXPECT_THAT(Ended(), ElementsAre(501u));
  EXPECT_TRUE(table_.IsRunning(502));
}

TEST_F(ExcelCleanUpTest, CleanUpEndsCompanionsInOrderThenListThenResets) {
  Run({812, 944});
  settings_.Set(settings::kProcessIds, u"(812)(4242)(944)");
  settings_.Set(settings::kLiveStatus, u"Running");
  wmi_.AddProcess(601, u"Excelcnv.exe", u"anna");
  wmi_.AddProcess(602, u"dw20.exe", u"anna");
  wmi_.AddProcess(603, u"dwwin.exe", u"anna");
  wmi_.AddProcess(604, u"WerFault.exe", u"anna");

  cleanup_.CleanUpExcel();

  std::vector<std::string> queries;
  for (const std::string& call : wmi_.calls()) {
    if (call.rfind("ExecQuery ", 0) == 0) queries.push_back(call.substr(10));
  }
  EXPECT_THAT(
      queries,
      ElementsAre(
          "Select Name from Win32_Process Where Name = 'werfault.exe'",
          "Select Name from Win32_Process Where Name = 'dwwin.exe'",
          "Select Name from Win32_Process Where Name = 'dw20.exe'",
          "Select Name from Win32_Process Where Name = 'Excelcnv.exe'"));
  EXPECT_THAT(wmi_.terminated(), ElementsAre(604u, 603u, 602u, 601u));
  EXPECT_EQ(std::count(wmi_.calls().begin(), wmi_.calls().end(), "Connect"), 4);
  EXPECT_THAT(Ended(), ElementsAre(812u, 944u));
  EXPECT_TRUE(table_.IsRunning(kOwnId));
  EXPECT_EQ(List(), u"");
  EXPECT_EQ(settings_.Get(settings::kLiveStatus), u"");
  EXPECT_EQ(settings_.Get(settings::kLiveStatusTime), u"01.01.1900");
  EXPECT_EQ(user_.call_count(), 1);
}

TEST_F(ExcelCleanUpTest, WmiFailureOnOneNameStillEndsTheOthers) {
  struct Case {
    const char* name;
    void (*fail)(FakeWmiProcessService&);
    std::vector<uint32_t> wmi_ended;
  };
  const Case cases[] = {
      {"query",
       [](FakeWmiProcessService& w) { w.set_fail_query(u"werfault.exe"); },
       {602}},
      {"owner",
       [](FakeWmiProcessService& w) { w.set_fail_get_owner(u"WerFault.exe"); },
       {602}},
      {"terminate",
       [](FakeWmiProcessService& w) { w.set_fail_terminate(u"werfault.exe"); },
       {602}},
      {"connect",
       [](FakeWmiProcessService& w) { w.set_fail_connect(true); },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSettingsStore settings;
    GuardAgainstEndlessLoop(settings);
    FakeProcessTable table{kOwnId};
    FakeWmiProcessService wmi;
    table.AddProcess(812, u"EXCEL.EXE");
    settings.Set(settings::kProcessIds, u"(812)");
    settings.Set(settings::kLiveStatus, u"Running");
    wmi.AddProcess(601, u"WerFault.exe", u"anna");
    wmi.AddProcess(602, u"dw20.exe", u"anna");
    c.fail(wmi);
    ExcelCleanUp cleanup{settings, table, windows_, user_, wmi, regional_};

    cleanup.CleanUpExcel();

    EXPECT_EQ(wmi.terminated(), c.wmi_ended);
    EXPECT_FALSE(table.IsRunning(812));
    EXPECT_EQ(settings.Get(settings::kProcessIds), u"");
    EXPECT_EQ(settings.Get(settings::kLiveStatus), u"");
    EXPECT_EQ(settings.Get(settings::kLiveStatusTime), u"01.01.1900");
  }
}

}  // namespace
}  // namespace zarn
