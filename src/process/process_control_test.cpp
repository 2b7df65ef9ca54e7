#include "process/process_control.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "testing/fake_process_table.h"

namespace zarn {
namespace {

using ::testing::ElementsAre;

class CountProcessesTest : public ::testing::Test {
 protected:
  FakeProcessTable table_{4242, u"ZARNDaemon.exe"};
};

TEST_F(CountProcessesTest, CountsSuffixMatchesIgnoringCase) {
  table_.AddProcess(10, u"OldZARNDaemon.exe");
  table_.AddProcess(11, u"EXCEL.EXE");
  table_.AddProcess(12, u"excel.exe");
  table_.AddProcess(13, u"C:\\WINDOWS\\ZARNDAEMON.EXE");
  table_.AddProcess(14, u"Ärger.exe");
  struct Case {
    std::u16string name;
    int32_t count;
  };
  const Case cases[] = {
      {u"ZARNDaemon.exe", 3},
      {u"zarndaemon.exe", 3},
      {u"ZARNDAEMON.EXE", 3},
      {u"excel.exe", 2},
      {u"OldZARNDaemon.exe", 1},
      {u"xOldZARNDaemon.exe", 0},
      {u"ärger.exe", 1},
      {u".exe", 6},
      {u"", 6},
      {u"notthere.exe", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.name));
    EXPECT_EQ(CountProcesses(table_, c.name), c.count);
  }
}

TEST_F(CountProcessesTest, OwnProcessAloneCountsOne) {
  EXPECT_EQ(CountProcesses(table_, u"ZARNDaemon.exe"), 1);
  table_.AddProcess(10, u"ZARNDaemon.exe");
  EXPECT_EQ(CountProcesses(table_, u"ZARNDaemon.exe"), 2);
}

TEST_F(CountProcessesTest, CountsOnlyOurOwnUsersProcesses) {
  using Owner = FakeProcessTable::Owner;
  // A terminal server: every user's checker has started its own daemon, and
  // Windows lets a standard user open none of the other users' processes.
  struct Case {
    const char* name;
    Owner owner;
    bool openable;
    int32_t count;
  };
  const Case cases[] = {
      {"ours", Owner::kUs, true, 2},
      {"another user's, openable", Owner::kOtherUser, true, 1},
      {"another user's, refused", Owner::kOtherUser, false, 1},
      // Our own elevated daemon may refuse us too: the lock finds that one.
      {"ours, refused", Owner::kUs, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeProcessTable table{4242, u"ZARNDaemon.exe"};
    table.AddProcess(20, u"ZARNDaemon.exe", c.owner, c.openable);
    table.AddProcess(21, u"OldZARNDaemon.exe", c.owner, c.openable);
    EXPECT_EQ(CountProcesses(table, u"ZARNDaemon.exe"), 2 * c.count - 1);
  }
}

TEST_F(CountProcessesTest, OtherUsersNeverCountWhateverTheName) {
  table_.AddProcess(20, u"ZARNDaemon.exe", FakeProcessTable::Owner::kOtherUser);
  table_.AddProcess(30, u"zarndaemon.EXE", FakeProcessTable::Owner::kOtherUser,
                    false);
  table_.AddProcess(40, u"EXCEL.EXE", FakeProcessTable::Owner::kOtherUser);
  EXPECT_EQ(CountProcesses(table_, u"ZARNDaemon.exe"), 1);
  EXPECT_EQ(CountProcesses(table_, u""), 1);
  EXPECT_EQ(CountProcesses(table_, u"excel.exe"), 0);
  // A second copy of our own is still found, by suffix too.
  table_.AddProcess(11, u"oldzarndaemon.EXE");
  EXPECT_EQ(CountProcesses(table_, u"ZARNDaemon.exe"), 2);
}

TEST_F(CountProcessesTest, AsksOnlyTheOtherProcessesOfTheNameForTheirOwner) {
  table_.AddProcess(20, u"EXCEL.EXE", FakeProcessTable::Owner::kOtherUser);
  table_.AddProcess(30, u"ZARNDaemon.exe", FakeProcessTable::Owner::kOtherUser);
  EXPECT_EQ(CountProcesses(table_, u"ZARNDaemon.exe"), 1);
  EXPECT_THAT(table_.owner_queries(), ElementsAre(30u));
}

TEST_F(CountProcessesTest, WindowsNineXHasNoOwnersToAsk) {
  table_.set_nt_family(false);
  table_.AddProcess(20, u"ZARNDaemon.exe", FakeProcessTable::Owner::kUs, false);
  EXPECT_EQ(CountProcesses(table_, u"ZARNDaemon.exe"), 2);
  EXPECT_TRUE(table_.owner_queries().empty());
}

TEST_F(CountProcessesTest, NoSnapshotCountsZero) {
  table_.set_snapshot_fails(true);
  EXPECT_EQ(CountProcesses(table_, u""), 0);
  EXPECT_EQ(CountProcesses(table_, u"ZARNDaemon.exe"), 0);
}

TEST_F(CountProcessesTest, CountsBeyondTheOldSixteenBitLimit) {
  for (uint32_t id = 1; id <= 40000; ++id) table_.AddProcess(id, u"a.exe");
  EXPECT_EQ(CountProcesses(table_, u"a.exe"), 40000);
}

class KillProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { table_.AddProcess(812, u"EXCEL.EXE"); }
  void TearDown() override {
    // Whatever happened, the privilege is off and the token closed again.
    EXPECT_FALSE(table_.privilege_enabled());
    EXPECT_FALSE(table_.token_open());
    EXPECT_EQ(table_.misuse_count(), 0);
  }
  FakeProcessTable table_;
};

TEST_F(KillProcessTest, EnablesPrivilegeOnlyAroundTheKill) {
  EXPECT_TRUE(KillProcess(table_, 812, 0));
  EXPECT_THAT(table_.calls(),
              ElementsAre("OpenOwnToken", "LookupDebugPrivilege",
                          "EnableDebugPrivilege", "Terminate 812 0",
                          "DisableDebugPrivilege", "CloseOwnToken"));
  EXPECT_FALSE(table_.IsRunning(812));
}

TEST_F(KillProcessTest, PassesExitCodeUnchanged) {
  EXPECT_TRUE(KillProcess(table_, 812, 0xC0000005u));
  EXPECT_THAT(table_.terminations(),
              ElementsAre(std::pair<uint32_t, uint32_t>{812, 0xC0000005u}));
}

TEST_F(KillProcessTest, GoneProcessGivesFalseAndDropsPrivilege) {
  EXPECT_FALSE(KillProcess(table_, 999, 0));
  EXPECT_THAT(table_.calls(),
              ElementsAre("OpenOwnToken", "LookupDebugPrivilege",
                          "EnableDebugPrivilege", "Terminate 999 0",
                          "DisableDebugPrivilege", "CloseOwnToken"));
}

TEST_F(KillProcessTest, RefusedTerminationGivesFalse) {
  table_.set_fail_terminate(812);
  EXPECT_FALSE(KillProcess(table_, 812, 0));
  EXPECT_TRUE(table_.IsRunning(812));
}

TEST_F(KillProcessTest, AProcessThatCannotBeOpenedStays) {
  table_.AddProcess(813, u"EXCEL.EXE", FakeProcessTable::Owner::kOtherUser,
                    false);
  EXPECT_FALSE(KillProcess(table_, 813, 0));
  EXPECT_TRUE(table_.IsRunning(813));
}

TEST_F(KillProcessTest, PrivilegeFailureNeverTouchesTheProcess) {
  struct Case {
    const char* name;
    void (FakeProcessTable::*fail)(bool);
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"token", &FakeProcessTable::set_fail_open_token, {"OpenOwnToken"}},
      {"lookup",
       &FakeProcessTable::set_fail_lookup,
       {"OpenOwnToken", "LookupDebugPrivilege", "CloseOwnToken"}},
      {"enable",
       &FakeProcessTable::set_fail_enable,
       {"OpenOwnToken", "LookupDebugPrivilege", "EnableDebugPrivilege",
        "CloseOwnToken"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeProcessTable table;
    table.AddProcess(812, u"EXCEL.EXE");
    (table.*c.fail)(true);
    EXPECT_FALSE(KillProcess(table, 812, 0));
    EXPECT_EQ(table.calls(), c.calls);
    EXPECT_TRUE(table.IsRunning(812));
    EXPECT_FALSE(table.token_open());
    EXPECT_EQ(table.misuse_count(), 0);
  }
}

TEST_F(KillProcessTest, FailureToDropPrivilegeKeepsTheResult) {
  FakeProcessTable table;
  table.AddProcess(812, u"EXCEL.EXE");
  table.set_fail_disable(true);
  EXPECT_TRUE(KillProcess(table, 812, 0));
  EXPECT_FALSE(table.token_open());
  EXPECT_FALSE(table.IsRunning(812));
}

TEST_F(KillProcessTest, WindowsNineXNeedsNoToken) {
  table_.set_nt_family(false);
  EXPECT_TRUE(KillProcess(table_, 812, 3));
  EXPECT_THAT(table_.calls(), ElementsAre("Terminate 812 3"));
  EXPECT_FALSE(KillProcess(table_, 812, 3));
}

}  // namespace
}  // namespace zarn
