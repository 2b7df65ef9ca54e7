#include "platform/win32/win32_process_table.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "process/process_control.h"
#include "testing/win32/test_processes.h"

namespace zarn {
namespace {

using win32_test::HelperProcess;

// Whether SeDebugPrivilege is enabled in our own token right now.
bool DebugPrivilegeEnabled() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
    ADD_FAILURE() << "no token";
    return false;
  }
  LUID luid = {};
  ::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &luid);
  DWORD bytes = 0;
  ::GetTokenInformation(token, TokenPrivileges, nullptr, 0, &bytes);
  std::vector<BYTE> buffer(bytes);
  bool enabled = false;
  if (::GetTokenInformation(token, TokenPrivileges, buffer.data(), bytes,
                            &bytes)) {
    const auto* privileges =
        reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
      const LUID& l = privileges->Privileges[i].Luid;
      if (l.LowPart == luid.LowPart && l.HighPart == luid.HighPart) {
        enabled = privileges->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED;
      }
    }
  } else {
    ADD_FAILURE() << "no token information";
  }
  ::CloseHandle(token);
  return enabled;
}

class Win32ProcessTableTest : public ::testing::Test {
 protected:
  std::unique_ptr<ProcessTable> table_ = NewWin32ProcessTable();
};

TEST_F(Win32ProcessTableTest, SnapshotHoldsOurOwnProcessByFileName) {
  const auto entries = table_->Snapshot();
  ASSERT_TRUE(entries);
  const uint32_t own = table_->CurrentProcessId();
  EXPECT_EQ(own, ::GetCurrentProcessId());
  auto it =
      std::find_if(entries->begin(), entries->end(),
                   [&](const ProcessEntry& e) { return e.process_id == own; });
  ASSERT_NE(it, entries->end());
  EXPECT_EQ(it->exe_name, u"zarn_win32_tests.exe");
}

TEST_F(Win32ProcessTableTest, CountsDaemonsBySuffixInAnyCase) {
  const int32_t before = CountProcesses(*table_, u"ZARNDaemon.exe");
  HelperProcess daemon(L"ZARNDaemon.exe");
  ASSERT_TRUE(daemon.running());
  EXPECT_EQ(CountProcesses(*table_, u"ZARNDaemon.exe"), before + 1);
  HelperProcess old(L"OldZARNDaemon.exe");
  ASSERT_TRUE(old.running());
  EXPECT_EQ(CountProcesses(*table_, u"ZARNDaemon.exe"), before + 2);
  EXPECT_EQ(CountProcesses(*table_, u"zarndaemon.EXE"), before + 2);
  EXPECT_EQ(CountProcesses(*table_, u"OLDZARNDAEMON.EXE"), 1);
  EXPECT_EQ(CountProcesses(*table_, u"zarn_win32_tests.exe"), 1);
  // An empty name matches every process, ours and the helpers among them.
  const int32_t all = CountProcesses(*table_, u"");
  EXPECT_GE(all, 3);
  EXPECT_GE(all, CountProcesses(*table_, u".exe"));
}

TEST_F(Win32ProcessTableTest, OurOwnProcessesAreOurUsers) {
  EXPECT_EQ(table_->OwnerOf(table_->CurrentProcessId()),
            ProcessOwner::kCurrentUser);
  HelperProcess daemon(L"ZARNDaemon.exe");
  ASSERT_TRUE(daemon.running());
  EXPECT_EQ(table_->OwnerOf(daemon.id()), ProcessOwner::kCurrentUser);
}

TEST_F(Win32ProcessTableTest, OwnerOfAnEndedProcessIsUnknown) {
  uint32_t id = 0;
  {
    HelperProcess helper(L"dw20.exe");
    ASSERT_TRUE(helper.running());
    id = helper.id();
  }
  ASSERT_TRUE(win32_test::WaitUntilGone(id));
  // Unknown is never counted as ours.
  EXPECT_EQ(table_->OwnerOf(id), ProcessOwner::kUnknown);
}

TEST_F(Win32ProcessTableTest, KillEndsByIdWithExitCode) {
  HelperProcess helper(L"dw20.exe");
  ASSERT_TRUE(helper.running());
  ASSERT_FALSE(DebugPrivilegeEnabled());
  EXPECT_TRUE(KillProcess(*table_, helper.id(), 77));
  DWORD exit_code = 0;
  ASSERT_TRUE(helper.WaitForExit(10000, &exit_code));
  EXPECT_EQ(exit_code, 77u);
  EXPECT_FALSE(DebugPrivilegeEnabled());
}

TEST_F(Win32ProcessTableTest, KillOfEndedProcessIsFalse) {
  uint32_t id = 0;
  {
    HelperProcess helper(L"dw20.exe");
    ASSERT_TRUE(helper.running());
    id = helper.id();
  }
  ASSERT_TRUE(win32_test::WaitUntilGone(id));
  EXPECT_FALSE(KillProcess(*table_, id, 0));
  EXPECT_FALSE(DebugPrivilegeEnabled());
}

TEST_F(Win32ProcessTableTest, DebugPrivilegeGoesOnAndOffAgain) {
  ASSERT_TRUE(table_->IsNtFamily());
  ASSERT_TRUE(table_->OpenOwnToken());
  ASSERT_TRUE(table_->LookupDebugPrivilege());
  ASSERT_TRUE(table_->SetDebugPrivilege(true));
  EXPECT_TRUE(DebugPrivilegeEnabled());
  EXPECT_TRUE(table_->SetDebugPrivilege(false));
  EXPECT_FALSE(DebugPrivilegeEnabled());
  table_->CloseOwnToken();
  EXPECT_FALSE(table_->SetDebugPrivilege(true));
}

}  // namespace
}  // namespace zarn
