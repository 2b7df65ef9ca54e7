#include "common/text.h"

#include <gtest/gtest.h>

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

TEST(TextTest, Utf8RoundTripAndReplacement) {
  const std::u16string text = u"Überwachung \U0001F600 ß";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");
  EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(ToDecimal(-812), u"-812");
}

}  // namespace
}  // namespace zarn
