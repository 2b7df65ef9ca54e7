#include "platform/win32/win32_wmi_process_service.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "common/text.h"
#include "platform/win32/test_processes.h"
#include "platform/win32/win32_process_table.h"
#include "platform/win32/win32_regional.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_user_name.h"
#include "platform/win32/win32_window_finder.h"
#include "process/excel_cleanup.h"

namespace zarn {
namespace {

using win32_test::HelperProcess;

std::u16string QueryFor(std::u16string_view name) {
  return u"Select Name from Win32_Process Where Name = '" +
         std::u16string(name) + u"'";
}

class Win32WmiProcessServiceTest : public ::testing::Test {
 protected:
  std::unique_ptr<WmiProcessService> wmi_ = NewWin32WmiProcessService();
};

TEST_F(Win32WmiProcessServiceTest, QueryFindsProcessesByNameInAnyCase) {
  HelperProcess first(L"WerFault.exe");
  ASSERT_TRUE(first.running());
  auto session = wmi_->Connect();
  ASSERT_TRUE(session);
  const auto found = session->ExecQuery(QueryFor(u"werfault.exe"));
  ASSERT_TRUE(found);
  ASSERT_EQ(found->size(), 1u);
  EXPECT_EQ((*found)[0].process_id, first.id());
  EXPECT_TRUE(Contains((*found)[0].path, u"Win32_Process"))
      << Utf16ToUtf8((*found)[0].path);

  // The image really is named in other letters than the query's.
  const auto entries = NewWin32ProcessTable()->Snapshot();
  ASSERT_TRUE(entries);
  const auto image = std::find_if(
      entries->begin(), entries->end(),
      [&](const ProcessEntry& e) { return e.process_id == first.id(); });
  ASSERT_NE(image, entries->end());
  EXPECT_EQ(image->exe_name, u"WerFault.exe");

  const auto none = session->ExecQuery(QueryFor(u"nosuchprogram.exe"));
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
}

TEST_F(Win32WmiProcessServiceTest, OwnerIsTheUserWeRunAs) {
  HelperProcess helper(L"dw20.exe");
  ASSERT_TRUE(helper.running());
  auto session = wmi_->Connect();
  ASSERT_TRUE(session);
  const auto found = session->ExecQuery(QueryFor(u"dw20.exe"));
  ASSERT_TRUE(found);
  ASSERT_EQ(found->size(), 1u);
  EXPECT_EQ(session->GetOwner((*found)[0].path),
            NewWin32UserNameSource()->ReadUserName());
}

TEST_F(Win32WmiProcessServiceTest, BrokenQueryIsAFailureNotACrash) {
  auto session = wmi_->Connect();
  ASSERT_TRUE(session);
  EXPECT_FALSE(session->ExecQuery(u"Select Name from Nowhere Where ="));
}

TEST_F(Win32WmiProcessServiceTest, TerminateEndsTheProcessWhereSupported) {
  HelperProcess helper(L"dw20.exe");
  ASSERT_TRUE(helper.running());
  auto session = wmi_->Connect();
  ASSERT_TRUE(session);
  const auto found = session->ExecQuery(QueryFor(u"dw20.exe"));
  ASSERT_TRUE(found);
  ASSERT_EQ(found->size(), 1u);
  // Wine has no Win32_Process.Terminate; Windows ends the process.
  if (session->Terminate((*found)[0].path)) {
    EXPECT_TRUE(helper.WaitForExit(10000));
  } else {
    EXPECT_TRUE(helper.running());
  }
}

// The clean-up's kill by name and owner, on the real machine.
class KillByNameAndOwnerTest : public ::testing::Test {
 protected:
  std::unique_ptr<SettingsStore> settings_ =
      NewWin32SettingsStore(u"Software\\ZARNDaemonTests\\KillByName");
  std::unique_ptr<ProcessTable> processes_ = NewWin32ProcessTable();
  std::unique_ptr<WindowFinder> windows_ = NewWin32WindowFinder();
  std::unique_ptr<UserNameSource> user_name_ = NewWin32UserNameSource();
  std::unique_ptr<WmiProcessService> wmi_ = NewWin32WmiProcessService();
  std::unique_ptr<Regional> regional_ = NewWin32Regional();
  ExcelCleanUp cleanup_{*settings_,  *processes_, *windows_,
                        *user_name_, *wmi_,       *regional_};
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
