// The whole clean-up before a restart on the real machine: helpers stand in
// for the checker's Excel and its companions; the settings live under a
// test key of their own.
#include <gtest/gtest.h>
#include <windows.h>
// oleauto.h needs windows.h first.
#include <oleauto.h>

#include "common/text.h"
#include "platform/win32/wide.h"
#include "test_excel_cleanup.h"
#include "testing/win32/test_processes.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

using win32_test::HelperProcess;

constexpr char16_t kKey[] = u"Software\\ZARNDaemonTests\\CleanUpExcel";
constexpr wchar_t kCaption[] = L"ZARN Prüfung.xlsm - Excel";

// The short date of 1 January 1900 as the platform writes it.
std::u16string PlatformMarker() {
  BSTR text = nullptr;
  if (FAILED(::VarBstrFromDate(2.0, LOCALE_USER_DEFAULT, 0, &text))) return {};
  std::u16string marker = win32::FromWide(text);
  ::SysFreeString(text);
  return marker;
}

// The clean-up ends every Excel and error-reporting process of the user:
// on Windows those of the user's real session too, so it runs under Wine
// alone.
class Win32ExcelCleanUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32::RunningUnderWine()) {
      GTEST_SKIP() << "needs Wine: ends the user's own Excel, WerFault.exe "
                      "and dw20.exe";
    }
    DeleteKey();
  }
  void TearDown() override {
    if (IsSkipped()) return;
    DeleteKey();
  }
  static void DeleteKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::ToWide(kKey).c_str());
  }

  win32_test::Win32CleanUpRig rig_{kKey};
  SettingsStore& settings_ = *rig_.settings;
  ExcelCleanUp& cleanup_ = rig_.cleanup;
};

TEST_F(Win32ExcelCleanUpTest, EndsExcelAndCompanionsButNotUsAndResetsStatus) {
  HelperProcess excel(L"EXCEL.EXE",
                      std::wstring(L"--window \"") + kCaption + L"\"");
  HelperProcess werfault(L"werfault.exe");
  HelperProcess dwwin(L"dwwin.exe");
  HelperProcess dw20(L"dw20.exe");
  HelperProcess converter(L"Excelcnv.exe");
  // A stale entry. Not the id of a process that just ended: Wine hands such
  // ids out again at once, and the WMI calls below start services that
  // could get it, which the clean-up would then end.
  const uint32_t stale = 0x7FFFFFF8;
  ASSERT_TRUE(win32_test::WaitUntilGone(stale));
  for (const HelperProcess* p :
       {&excel, &werfault, &dwwin, &dw20, &converter}) {
    ASSERT_TRUE(p->running());
  }
  ASSERT_TRUE(win32_test::WaitForWindow(L"XLMain", kCaption));

  const std::u16string own = ToDecimal(::GetCurrentProcessId());
  std::u16string list;
  for (const std::u16string& id :
       {ToDecimal(excel.id()), own, ToDecimal(stale)}) {
    list.append(u"(").append(id).append(u")");
  }
  ASSERT_TRUE(settings_.WriteSetting(settings::kProcessIds, list));
  ASSERT_TRUE(settings_.WriteSetting(settings::kLiveStatus, u"Running"));
  ASSERT_TRUE(
      settings_.WriteSetting(settings::kLiveStatusTime, u"6.12.2026 03:41:47"));
  const std::u16string caption = win32::FromWide(kCaption);
  ASSERT_TRUE(cleanup_.IsExcelWindowOpen(caption));

  cleanup_.CleanUpExcel();

  for (const HelperProcess* p :
       {&excel, &werfault, &dwwin, &dw20, &converter}) {
    EXPECT_TRUE(p->WaitForExit(10000));
  }
  EXPECT_FALSE(cleanup_.IsExcelWindowOpen(caption));
  EXPECT_EQ(settings_.ReadSetting(settings::kProcessIds, u"missing"), u"");
  EXPECT_EQ(settings_.ReadSetting(settings::kLiveStatus, u"missing"), u"");
  const std::u16string marker = PlatformMarker();
  ASSERT_FALSE(marker.empty());
  EXPECT_EQ(settings_.ReadSetting(settings::kLiveStatusTime, u""), marker);
}

}  // namespace
}  // namespace zarn
