#include "common/text.h"

#include <gtest/gtest.h>

#include <limits>

namespace zarn {
namespace {

TEST(TextTest, TrimRemovesSpacesOnly) {
  EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");
  EXPECT_EQ(TrimSpaces(u"\ta\r\n"), u"\ta\r\n");
  EXPECT_EQ(TrimSpaces(u" \t "), u"\t");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
}

TEST(TextTest, CaseInsensitiveComparisonCoversUmlauts) {
  EXPECT_TRUE(EqualsIgnoreCase(u"ZARNDAEMON.EXE", u"zarndaemon.exe"));
  EXPECT_TRUE(EqualsIgnoreCase(u"ÜBER", u"über"));
  EXPECT_FALSE(EqualsIgnoreCase(u"abc", u"abd"));
  EXPECT_FALSE(EqualsIgnoreCase(u"abc", u"ab"));
  EXPECT_TRUE(EndsWithIgnoreCase(u"OldZARNDaemon.exe", u"zarndaemon.EXE"));
  EXPECT_FALSE(EndsWithIgnoreCase(u"exe", u"a.exe"));
}

TEST(TextTest, RemoveAllScansOnce) {
  EXPECT_EQ(RemoveAll(u"(812)(944)(812)", u"(812)"), u"(944)");
  // Removing does not create new matches that are removed again.
  EXPECT_EQ(RemoveAll(u"((812)812)", u"(812)"), u"(812)");
  EXPECT_EQ(RemoveAll(u"abc", u""), u"abc");
}

TEST(TextTest, ConcatJoinsThePiecesInOrder) {
  EXPECT_EQ(Concat({}), u"");
  EXPECT_EQ(Concat({u"Die ", u"", ToDecimal(10), u" Sekunden"}),
            u"Die 10 Sekunden");
}

TEST(TextTest, Utf8RoundTripAndReplacement) {
  const std::u16string text = u"Überwachung \U0001F600 ß";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");
  EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(ToDecimal(-812), u"-812");
}

TEST(TextTest, ReadDigitsTakesAtMostMaxAndNeedsAtLeastMin) {
  struct Case {
    const char16_t* text;
    size_t start;
    size_t min_digits;
    size_t max_digits;
    bool ok;
    size_t end;
    int value;
  };
  const Case cases[] = {
      {u"06 Nov", 0, 1, 2, true, 2, 6},   {u"6 Nov", 0, 1, 2, true, 1, 6},
      {u"1994 ", 0, 4, 4, true, 4, 1994}, {u"199 ", 0, 4, 4, false, 3, 199},
      {u"12345", 0, 1, 4, true, 4, 1234}, {u"12:34:56", 3, 2, 2, true, 5, 34},
      {u":30", 0, 1, 2, false, 0, 0},     {u"", 0, 1, 2, false, 0, 0},
      {u"\uFF11", 0, 1, 2, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    size_t pos = c.start;
    int value = -1;
    EXPECT_EQ(ReadDigits(c.text, pos, c.min_digits, c.max_digits, value), c.ok);
    EXPECT_EQ(pos, c.end);
    EXPECT_EQ(value, c.value);
  }
}

TEST(TextTest, ParseDecimalTakesOnlyDigitsUpToTheLargest) {
  constexpr uint64_t kMost = std::numeric_limits<uint64_t>::max();
  struct Case {
    const char16_t* text;
    uint64_t largest;
    std::optional<uint64_t> value;
  };
  const Case cases[] = {
      {u"0", 5, 0},
      {u"812", 2147483647, 812},
      {u"000000000000000000000812", 812, 812},
      {u"2147483647", 2147483647, 2147483647},
      {u"2147483648", 2147483647, std::nullopt},
      {u"99999999999999999999999", 2147483647, std::nullopt},
      {u"18446744073709551615", kMost, kMost},
      {u"18446744073709551616", kMost, std::nullopt},
      {u"7", 3, std::nullopt},
      {u"", kMost, std::nullopt},
      {u"+5", kMost, std::nullopt},
      {u"-5", kMost, std::nullopt},
      {u" 5", kMost, std::nullopt},
      {u"5 ", kMost, std::nullopt},
      {u"\uFF15", kMost, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(ParseDecimal(c.text, c.largest), c.value);
  }
}

}  // namespace
}  // namespace zarn
