#include "config/unicode_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "testing/encoding_cases.h"
#include "testing/fake_code_page_converter.h"
#include "testing/helpers_fixture.h"

namespace zarn {
namespace {

class UnicodeFileTest : public HelpersFixture {
 protected:
  FakeCodePageConverter code_pages_;
  UnicodeFile file_{helpers_, fs_, code_pages_};
};

TEST_F(UnicodeFileTest, DecodesEachEncodingCase) {
  for (const EncodingCase& c : EncodingCases()) {
    SCOPED_TRACE(c.name);
    const std::u16string path =
        u"C:\\Daemon\\" + std::u16string(c.name, c.name + strlen(c.name)) +
        u".cfg";
    fs_.AddFile(path, c.bytes);
    int32_t code_page = 4711;
    bool has_mark = !c.has_mark;
    bool ok = false;
    EXPECT_EQ(
        file_.ReadTextFile(path, kCodePageDetect, code_page, has_mark, &ok),
        c.text);
    EXPECT_TRUE(ok);
    EXPECT_EQ(code_page, c.code_page);
    EXPECT_EQ(has_mark, c.has_mark);
  }
}

TEST_F(UnicodeFileTest, MissingFileLeavesTheOutputsAlone) {
  int32_t code_page = 4711;
  bool has_mark = true;
  bool ok = false;
  EXPECT_EQ(file_.ReadTextFile(u"C:\\nope.cfg", -1, code_page, has_mark, &ok),
            u"");
  EXPECT_TRUE(ok);
  EXPECT_EQ(code_page, 4711);
  EXPECT_TRUE(has_mark);
}

TEST_F(UnicodeFileTest, FolderPassesTheProbeButIsNoFile) {
  fs_.AddFolder(u"C:\\Daemon\\ZARN.cfg");
  int32_t code_page = 0;
  bool has_mark = false;
  bool ok = true;
  EXPECT_EQ(
      file_.ReadTextFile(u"C:\\Daemon\\ZARN.cfg", -1, code_page, has_mark, &ok),
      u"");
  EXPECT_FALSE(ok);
}

TEST_F(UnicodeFileTest, DetectionSetsTheOffsetAfterTheMark) {
  struct Case {
    std::vector<uint8_t> bytes;
    int32_t requested;
    int32_t code_page;
    bool has_mark;
    size_t offset;
  };
  const std::vector<Case> cases = {
      {{0xFF, 0xFE, 0x41, 0x00}, -1, 1200, true, 2},
      {{0xFE, 0xFF, 0x00, 0x41}, -1, 1201, true, 2},
      {{0xEF, 0xBB, 0xBF, 0x41}, -1, 65001, true, 3},
      {{0xFF, 0xFE, 0x00, 0x00}, -1, 12000, true, 4},
      {{0x00, 0x00, 0xFE, 0xFF}, -1, 12001, true, 4},
      {{0x00, 0x00, 0xFE, 0x41}, -1, 0, false, 0},
      // Other requests are taken as they are, without reading.
      {{0xFF, 0xFE, 0x41, 0x00}, 1252, 1252, false, 0},
      // An explicit Unicode request skips the mark and keeps its code page,
      // but without a mark the UTF-8 test decides.
      {{0xEF, 0xBB, 0xBF, 0x41}, 1200, 1200, true, 3},
      {{0x41, 0xC3, 0xA4}, 1200, 65001, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "requested " << c.requested << " first "
                                    << int(c.bytes[0]));
    int32_t code_page = -7;
    bool has_mark = !c.has_mark;
    EXPECT_EQ(UnicodeFile::OpenAndDetectEncoding(c.bytes, c.requested,
                                                 code_page, has_mark),
              c.offset);
    EXPECT_EQ(code_page, c.code_page);
    EXPECT_EQ(has_mark, c.has_mark);
  }
}

TEST_F(UnicodeFileTest, Utf8TestFollowsTheLeadBytes) {
  struct Case {
    const char* name;
    std::string bytes;
    bool utf8;
  };
  const std::vector<Case> cases = {
      {"empty", "", false},
      {"ascii", "abc", false},
      {"two-byte", "a\xC3\xA4", true},
      {"three-byte", "\xE2\x82\xAC", true},
      {"four-byte", "\xF0\x9F\x98\x80", true},
      {"cut off at the end", "\xC3\xA4\xE2\x82", true},
      {"only cut off", "ab\xE2\x82", false},
      {"stray continuation", "\xC3\xA4\x80", false},
      {"lead without continuation",
       "\xC3"
       "A",
       false},
      {"F8 lead", "\xC3\xA4\xF8\x80", false},
      // Overlong forms and surrogates are not rejected.
      {"overlong", "\xC0\x80", true},
      {"surrogate", "\xED\xA0\x80", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(UnicodeFile::LooksLikeUtf8(bytes), c.utf8);
  }
}

TEST_F(UnicodeFileTest, OtherCodePagesGoToThePlatform) {
  const std::vector<uint8_t> bytes = {'a', 0xE4};
  EXPECT_EQ(file_.DecodeBytes(bytes, 0), u"a\u00E4");
  EXPECT_EQ(file_.DecodeBytes(bytes, 65001), u"a\uFFFD");
  // A code page the platform can't convert gives the empty text.
  EXPECT_EQ(file_.DecodeBytes(bytes, 875), u"");
  EXPECT_EQ(file_.DecodeBytes({}, 0), u"");
  const int before = code_pages_.decode_count();
  EXPECT_EQ(
      file_.DecodeBytes(std::vector<uint8_t>{0x41, 0x00, 0xE4, 0x00}, 1200),
      u"A\u00E4");
  EXPECT_EQ(code_pages_.decode_count(), before);
}

TEST_F(UnicodeFileTest, EncodingNames) {
  const std::vector<std::pair<int32_t, std::u16string>> cases = {
      {0, u"ANSI"},
      {1200, u"UTF16 LE"},
      {1201, u"UTF16 BE"},
      {12000, u"UTF32 LE"},
      {12001, u"UTF32 BE"},
      {65001, u"UTF8"},
      {1252, u"Codepage 1252"},
      {-1, u"Codepage -1"},
  };
  for (const auto& [code_page, name] : cases) {
    SCOPED_TRACE(code_page);
    EXPECT_EQ(EncodingName(code_page), name);
  }
}

}  // namespace
}  // namespace zarn
