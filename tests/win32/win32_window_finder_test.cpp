#include "platform/win32/win32_window_finder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_process_table.h"
#include "platform/win32/win32_regional.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_user_name.h"
#include "platform/win32/win32_wmi_process_service.h"
#include "process/excel_cleanup.h"
#include "testing/win32/test_processes.h"

namespace zarn {
namespace {

// An umlaut in the title crosses the ANSI boundary of FindWindowA.
constexpr wchar_t kTitle[] = L"ZARN Prüfung.xlsm - Excel";
constexpr char16_t kTitle16[] = u"ZARN Prüfung.xlsm - Excel";

class Win32WindowFinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(excel_.running());
    ASSERT_TRUE(win32_test::WaitForWindow(L"XLMain", kTitle));
  }

  win32_test::HelperProcess excel_{
      L"EXCEL.EXE", std::wstring(L"--window \"") + kTitle + L"\""};
  std::unique_ptr<WindowFinder> windows_ = NewWin32WindowFinder();
};

TEST_F(Win32WindowFinderTest, FindsExcelWindowByClassAndExactTitle) {
  EXPECT_TRUE(windows_->Exists(u"XLMain", kTitle16));
  EXPECT_FALSE(windows_->Exists(u"XLMain", u"ZARN Prüfung.xlsm"));
  EXPECT_FALSE(windows_->Exists(u"XLMain", u"Mappe1 - Excel"));
  EXPECT_FALSE(windows_->Exists(u"Notepad", kTitle16));
  // FindWindow compares class and title ignoring letter case.
  EXPECT_TRUE(windows_->Exists(u"xlmain", u"zarn prüfung.xlsm - excel"));
}

TEST_F(Win32WindowFinderTest, OwnerIsTheProcessThatMadeTheWindow) {
  EXPECT_EQ(windows_->OwnerProcessId(u"XLMain", kTitle16), excel_.id());
  EXPECT_EQ(windows_->OwnerProcessId(u"XLMain", u"Mappe1 - Excel"),
            std::nullopt);
  excel_.End();
  EXPECT_EQ(windows_->OwnerProcessId(u"XLMain", kTitle16), std::nullopt);
}

TEST_F(Win32WindowFinderTest, WindowIsGoneWithItsProcess) {
  excel_.End();
  EXPECT_FALSE(windows_->Exists(u"XLMain", kTitle16));
}

TEST_F(Win32WindowFinderTest, ExcelWindowOpenOnlyForTheCheckersCaption) {
  auto settings = NewWin32SettingsStore(u"Software\\ZARNDaemonTests\\Window");
  auto processes = NewWin32ProcessTable();
  auto user_name = NewWin32UserNameSource();
  auto wmi = NewWin32WmiProcessService();
  auto regional = NewWin32Regional();
  ExcelCleanUp cleanup(*settings, *processes, *windows_, *user_name, *wmi,
                       *regional);
  EXPECT_TRUE(cleanup.IsExcelWindowOpen(kTitle16));
  EXPECT_FALSE(cleanup.IsExcelWindowOpen(u"Mappe1 - Excel"));
  EXPECT_FALSE(cleanup.IsExcelWindowOpen(u""));
}

}  // namespace
}  // namespace zarn
