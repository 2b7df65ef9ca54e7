#include "testing/fake_code_page_converter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zarn {
namespace {

class FakeCodePageConverterTest : public ::testing::Test {
 protected:
  std::u16string Decode(std::string_view bytes, int32_t code_page) {
    const std::vector<uint8_t> data(bytes.begin(), bytes.end());
    return converter_.Decode(data, code_page);
  }
  FakeCodePageConverter converter_;
};

TEST_F(FakeCodePageConverterTest, AnsiIsWindows1252) {
  const std::vector<std::pair<std::string, std::u16string>> cases = {
      {"abc", u"abc"},
      {"\xE4\xF6\xFC\xDF\xC4", u"äöüßÄ"},
      {"\x80\x9F\x8A", u"€Ÿ\u0160"},
      // Bytes the code page leaves out become the C1 controls.
      {"\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
  };
  for (const auto& [bytes, text] : cases) {
    SCOPED_TRACE(bytes);
    EXPECT_EQ(Decode(bytes, 0), text);
    EXPECT_EQ(Decode(bytes, 1252), text);
  }
}

TEST_F(FakeCodePageConverterTest, Utf8WithReplacementForIllFormedBytes) {
  EXPECT_EQ(Decode("\xC3\xA4\xE2\x82\xAC", 65001), u"ä€");
  EXPECT_EQ(Decode("a\x80z", 65001), u"a\uFFFDz");
  EXPECT_EQ(Decode("\xF0\x9F\x98\x80", 65001), u"\U0001F600");
}

TEST_F(FakeCodePageConverterTest, UnknownOrRefusedCodePagesGiveNothing) {
  EXPECT_EQ(Decode("abc", 437), u"");
  EXPECT_EQ(Decode("", 0), u"");
  converter_.Refuse(65001);
  EXPECT_EQ(Decode("abc", 65001), u"");
  EXPECT_EQ(Decode("abc", 0), u"abc");
}

TEST_F(FakeCodePageConverterTest, EncodesAnsiWithQuestionMarks) {
  EXPECT_EQ(converter_.EncodeAnsi(u"Prüfung €"),
            "Pr\xFC"
            "fung \x80");
  EXPECT_EQ(converter_.EncodeAnsi(u"\u0100x\U0001F600"), "?x??");
}

TEST_F(FakeCodePageConverterTest, AnsiCanBeUtf8) {
  converter_.set_ansi_code_page(65001);
  EXPECT_EQ(converter_.EncodeAnsi(u"Prüfung\u2028"),
            "Pr\xC3\xBC"
            "fung\xE2\x80\xA8");
  EXPECT_EQ(Decode("\xC3\xA4\xE4", 0), u"ä\uFFFD");
  EXPECT_EQ(Decode("\xE4", 1252), u"ä");
}

}  // namespace
}  // namespace zarn
