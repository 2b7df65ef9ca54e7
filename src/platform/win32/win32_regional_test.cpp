#include "platform/win32/win32_regional.h"

#include <gtest/gtest.h>
#include <windows.h>
// oleauto.h needs windows.h first.
#include <oleauto.h>

#include "common/text.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

// These tests run with German regional settings (LANG=de_DE.UTF-8 for the
// Wine process; CTest sets it). Literal dates are taken from the platform
// where Wine and Windows write them differently.
class Win32RegionalTest : public ::testing::Test {
 protected:
  std::u16string PlatformDateText(double ole) {
    BSTR text = nullptr;
    EXPECT_TRUE(
        SUCCEEDED(::VarBstrFromDate(ole, LOCALE_USER_DEFAULT, 0, &text)));
    std::u16string out =
        win32::FromWide(std::wstring_view(text, ::SysStringLen(text)));
    ::SysFreeString(text);
    return out;
  }
  std::unique_ptr<Regional> regional_ = NewWin32Regional();
};

TEST_F(Win32RegionalTest, NeverReportedMarkerIsThePlatformsTextOfFirstJanuary) {
  const std::u16string marker = regional_->FormatDateTime(kNeverReported);
  EXPECT_EQ(marker, PlatformDateText(2.0));
  EXPECT_TRUE(marker == u"01.01.1900" || marker == u"1.1.1900")
      << Utf16ToUtf8(marker);
  EXPECT_EQ(regional_->ParseDateTime(marker), kNeverReported);
}

TEST_F(Win32RegionalTest, SpanUsesTheLongTimeFormat) {
  EXPECT_EQ(regional_->FormatSpan(4 * 60 + 30), u"00:04:30");
  EXPECT_EQ(regional_->FormatSpan(0), u"00:00:00");
  EXPECT_EQ(regional_->FormatSpan(-20), u"00:00:20");
}

TEST_F(Win32RegionalTest, ReadsACheckerReportToTheSecond) {
  const DateTime expected = DateTime::FromCivil(2026, 12, 6, 3, 41, 47);
  EXPECT_EQ(regional_->ParseDateTime(u"06.12.2026 03:41:47"), expected);
  // What we write, we read back exactly.
  const DateTime odd = DateTime::FromCivil(2026, 2, 28, 23, 59, 59);
  EXPECT_EQ(regional_->ParseDateTime(regional_->FormatDateTime(odd)), odd);
  EXPECT_FALSE(regional_->ParseDateTime(u"kein Datum").has_value());
  EXPECT_FALSE(regional_->ParseDateTime(u"").has_value());
}

TEST_F(Win32RegionalTest, DateTimeTextLeavesOutMidnight) {
  const std::u16string with_time =
      regional_->FormatDateTime(DateTime::FromCivil(2026, 12, 6, 3, 41, 47));
  EXPECT_EQ(with_time,
            PlatformDateText(
                DateTime::FromCivil(2026, 12, 6, 3, 41, 47).ToOleDate()));
  EXPECT_NE(with_time.find(u"03:41:47"), std::u16string::npos);
  const std::u16string midnight =
      regional_->FormatDateTime(DateTime::FromCivil(2026, 12, 6));
  EXPECT_EQ(midnight.find(u':'), std::u16string::npos);
}

TEST_F(Win32RegionalTest, NumbersUseTheDecimalComma) {
  EXPECT_EQ(regional_->FormatNumber(0), u"0");
  EXPECT_EQ(regional_->FormatNumber(1.5), u"1,5");
  EXPECT_EQ(regional_->FormatNumber(-3), u"-3");
}

}  // namespace
}  // namespace zarn
