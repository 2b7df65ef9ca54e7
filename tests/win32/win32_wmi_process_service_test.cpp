#include "platform/win32/win32_wmi_process_service.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "platform/win32/win32_process_table.h"
#include "platform/win32/win32_user_name.h"
#include "test_excel_cleanup.h"
#include "testing/win32/test_processes.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

using win32_test::HelperProcess;

std::u16string QueryFor(std::u16string_view name) {
  return u"Select Name from Win32_Process Where Name = '" +
         std::u16string(name) + u"'";
}

class Win32WmiProcessServiceTest : public ::testing::Test {
 protected:
  // Connects and queries the processes named `name`, which must be exactly
  // one; the session stays open in session_, the answer in found_. On a
  // real machine the user's own WerFault.exe or dw20.exe may run beside
  // the helper, so the callers skip there.
  void FindTheOnly(std::u16string_view name) {
    session_ = wmi_->Connect();
    ASSERT_TRUE(session_);
    found_ = session_->ExecQuery(QueryFor(name));
    ASSERT_TRUE(found_);
    ASSERT_EQ(found_->size(), 1u);
  }

  std::unique_ptr<WmiProcessService> wmi_ = NewWin32WmiProcessService();
  std::unique_ptr<WmiSession> session_;
  std::optional<std::vector<WmiProcess>> found_;
};

TEST_F(Win32WmiProcessServiceTest, QueryFindsProcessesByNameInAnyCase) {
  if (!win32::RunningUnderWine()) {
    GTEST_SKIP()
        << "needs Wine: counts on the helper being the only WerFault.exe";
  }
  HelperProcess first(L"WerFault.exe");
  ASSERT_TRUE(first.running());
  ASSERT_NO_FATAL_FAILURE(FindTheOnly(u"werfault.exe"));
  EXPECT_EQ((*found_)[0].process_id, first.id());
  EXPECT_TRUE(Contains((*found_)[0].path, u"Win32_Process"))
      << Utf16ToUtf8((*found_)[0].path);

  // The image really is named in other letters than the query's.
  const auto entries = NewWin32ProcessTable()->Snapshot();
  ASSERT_TRUE(entries);
  const auto image = std::find_if(
      entries->begin(), entries->end(),
      [&](const ProcessEntry& e) { return e.process_id == first.id(); });
  ASSERT_NE(image, entries->end());
  EXPECT_EQ(image->exe_name, u"WerFault.exe");

  const auto none = session_->ExecQuery(QueryFor(u"nosuchprogram.exe"));
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
}

TEST_F(Win32WmiProcessServiceTest, OwnerIsTheUserWeRunAs) {
  if (!win32::RunningUnderWine()) {
    GTEST_SKIP() << "needs Wine: counts on the helper being the only dw20.exe";
  }
  HelperProcess helper(L"dw20.exe");
  ASSERT_TRUE(helper.running());
  ASSERT_NO_FATAL_FAILURE(FindTheOnly(u"dw20.exe"));
  EXPECT_EQ(session_->GetOwner((*found_)[0].path),
            NewWin32UserNameSource()->ReadUserName());
}

TEST_F(Win32WmiProcessServiceTest, BrokenQueryIsAFailureNotACrash) {
  auto session = wmi_->Connect();
  ASSERT_TRUE(session);
  EXPECT_FALSE(session->ExecQuery(u"Select Name from Nowhere Where ="));
}

TEST_F(Win32WmiProcessServiceTest, TerminateEndsTheProcessWhereSupported) {
  if (!win32::RunningUnderWine()) {
    GTEST_SKIP() << "needs Wine: counts on the helper being the only dw20.exe";
  }
  HelperProcess helper(L"dw20.exe");
  ASSERT_TRUE(helper.running());
  ASSERT_NO_FATAL_FAILURE(FindTheOnly(u"dw20.exe"));
  // Wine has no Win32_Process.Terminate; Windows ends the process.
  if (session_->Terminate((*found_)[0].path)) {
    EXPECT_TRUE(helper.WaitForExit(10000));
  } else {
    EXPECT_TRUE(helper.running());
  }
}

// The clean-up's kill by name and owner, on the real machine. It ends
// every process of the name that the user runs: on Windows that would be
// the user's real error reports too, so the tests run under Wine alone.
class KillByNameAndOwnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32::RunningUnderWine()) {
      GTEST_SKIP() << "needs Wine: ends the user's own WerFault.exe and "
                      "dw20.exe";
    }
  }

  win32_test::Win32CleanUpRig rig_{u"Software\\ZARNDaemonTests\\KillByName"};
  ExcelCleanUp& cleanup_ = rig_.cleanup;
};

TEST_F(KillByNameAndOwnerTest, EndsTheCurrentUsersHelpersOfThatName) {
  HelperProcess werfault(L"WerFault.exe");
  HelperProcess dw20(L"dw20.exe");
  ASSERT_TRUE(werfault.running());
  ASSERT_TRUE(dw20.running());
  cleanup_.KillProcessesByNameAndOwner(u"werfault.exe",
                                       cleanup_.GetCurrentUserName());
  EXPECT_TRUE(werfault.WaitForExit(10000));
  EXPECT_TRUE(dw20.running());
}

TEST_F(KillByNameAndOwnerTest, OtherOwnerNameLeavesThemRunning) {
  HelperProcess dw20(L"dw20.exe");
  ASSERT_TRUE(dw20.running());
  cleanup_.KillProcessesByNameAndOwner(u"dw20.exe", u"SomebodyElse");
  EXPECT_FALSE(dw20.WaitForExit(500));
  cleanup_.KillProcessesByNameAndOwner(u"dw20.exe", u"");
  EXPECT_TRUE(dw20.WaitForExit(10000));
}

}  // namespace
}  // namespace zarn
