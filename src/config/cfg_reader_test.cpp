#include "config/cfg_reader.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "testing/fake_code_page_converter.h"
#include "testing/helpers_fixture.h"

namespace zarn {
namespace {

using Entries = std::vector<std::u16string>;

class CfgReaderTest : public HelpersFixture {
 protected:
  // Parses `text` as the decoded reading of a file would.
  void Parse(std::u16string_view text) { reader_.GetCFGString(text); }
  Entries Section(std::u16string_view name) {
    Entries values = {u"stale"};
    reader_.GetSectionValues(name, values);
    return values;
  }

  FakeCodePageConverter code_pages_;
  CfgReader reader_{helpers_, fs_, code_pages_};
};

TEST_F(CfgReaderTest, BlanksAroundTheEqualsSignAndTheValue) {
  for (std::u16string_view line :
       {u"CANCELTIME=00:10:00", u"CANCELTIME = 00:10:00",
        u"CANCELTIME  =  00:10:00  ", u"  CANCELTIME=00:10:00"}) {
    SCOPED_TRACE(Utf16ToUtf8(line));
    CfgReader reader(helpers_, fs_, code_pages_);
    reader.GetCFGString(u"[ZARN]\r\n" + std::u16string(line) + u"\r\n");
    EXPECT_TRUE(reader.GetSection(u"ZARN"));
    EXPECT_EQ(reader.GetValue(u"CANCELTIME"), u"00:10:00");
  }
}

TEST_F(CfgReaderTest, KeysAndHeadersAreCaseSensitive) {
  Parse(u"[zarn]\r\ncanceltime=1\r\nCANCELTIMEX=2\r\nCANCELTIME\t=3\r\n");
  EXPECT_EQ(reader_.GetValue(u"CANCELTIME"), u"");
  EXPECT_FALSE(reader_.GetSection(u"ZARN"));
}

TEST_F(CfgReaderTest, TextParsingTrimsHeaders) {
  Parse(u"  [ZARN] \r\n  LOADTIME=1 \r\n");
  EXPECT_TRUE(reader_.GetSection(u"ZARN"));
  EXPECT_EQ(reader_.GetValue(u"LOADTIME"), u"1");
}

TEST_F(CfgReaderTest, ValueForms) {
  Parse(u"A x=1\r\nB=a=b\r\nC=\r\nD x\r\n");
  EXPECT_EQ(reader_.GetValue(u"A"), u"1");
  EXPECT_EQ(reader_.GetValue(u"B"), u"a=b");
  EXPECT_EQ(reader_.GetValue(u"C"), u"");
  EXPECT_EQ(reader_.GetValue(u"D"), u"");
}

TEST_F(CfgReaderTest, LookupsBeforeAndAfterGetSection) {
  EXPECT_EQ(reader_.GetValue(u"K"), u"");
  EXPECT_FALSE(reader_.GetSection(u"A"));
  EXPECT_FALSE(reader_.has_lines());
  Parse(u"[A]\r\nK=a\r\n[B]\r\nK=b\r\nL=1\r\n");
  EXPECT_EQ(reader_.GetValue(u"K"), u"a");
  EXPECT_EQ(reader_.GetValue(u"L"), u"1");
  EXPECT_TRUE(reader_.GetSection(u"B"));
  EXPECT_EQ(reader_.GetValue(u"K"), u"b");
  EXPECT_TRUE(reader_.GetSection(u"A"));
  EXPECT_EQ(reader_.GetValue(u"K"), u"a");
  EXPECT_EQ(reader_.GetValue(u"L"), u"");
}

TEST_F(CfgReaderTest, HeaderRightAfterHeaderAndUnfinishedHeader) {
  Parse(u"[A]\r\n[B]\r\nK=1\r\n[C]\r\nX=1\r\n[Note\r\nY=2\r\n");
  EXPECT_FALSE(reader_.GetSection(u"A"));
  EXPECT_EQ(reader_.GetValue(u"K"), u"");
  EXPECT_EQ(Section(u"C"), Entries{u"X=1"});
}

TEST_F(CfgReaderTest, RepeatedSectionsAndThePassedOverHeader) {
  Parse(u"[A]\r\nx=1\r\n[B]\r\nz=3\r\n[A]\r\ny=2\r\n");
  EXPECT_EQ(Section(u"A"), (Entries{u"x=1", u"y=2"}));
  CfgReader reader(helpers_, fs_, code_pages_);
  reader.GetCFGString(u"[A]\r\nx=1\r\n[A]\r\ny=2\r\n");
  Entries values;
  EXPECT_TRUE(reader.GetSectionValues(u"A", values));
  EXPECT_EQ(values, Entries{u"x=1"});
  EXPECT_FALSE(reader.GetSectionValues(u"Missing", values));
  EXPECT_TRUE(values.empty());
}

TEST_F(CfgReaderTest, Blocks) {
  struct Case {
    const char* name;
    std::u16string text;
    std::u16string value;
  };
  const std::vector<Case> cases = {
      {"with end", u"TEXT=|BEGIN|\r\nline one\r\n\r\nline two\r\n|END|\r\nX=1",
       u"line one\r\nline two\r\n"},
      {"without end", u"TEXT=|BEGIN|\r\n a \r\nb\r\n", u"a\r\nb\r\n"},
      {"end on the begin line",
       u"TEXT=|BEGIN|abc|END|\r\nmore\r\nlast|END|tail\r\nX=1",
       u"abc|END|more\r\nlasttail"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CfgReader reader(helpers_, fs_, code_pages_);
    reader.GetCFGString(c.text);
    EXPECT_EQ(reader.GetValue(u"TEXT"), c.value);
  }
}

TEST_F(CfgReaderTest, ParsingAppendsToNarrowedLists) {
  Parse(u"[A]\r\nK=1\r\n[B]\r\nK=2\r\n");
  ASSERT_TRUE(reader_.GetSection(u"B"));
  Parse(u"[C]\r\nL=3\r\n");
  EXPECT_EQ(reader_.GetValue(u"K"), u"2");
  EXPECT_EQ(reader_.GetValue(u"L"), u"3");
  EXPECT_EQ(Section(u"C"), Entries{u"L=3"});
}

// The ways of reading, each reached as GetCfg reaches it: decoded reading for
// an ANSI file; UTF-8 reading for a marked file whose decoding gives nothing;
// line reading for an unmarked file whose decoding gives nothing.
enum class Way { kDecoded, kUtf8, kLines };

class CfgReaderWaysTest : public CfgReaderTest,
                          public ::testing::WithParamInterface<Way> {
 protected:
  bool ReadFile(std::string bytes) {
    if (GetParam() != Way::kDecoded) {
      code_pages_.Refuse(kCodePageUtf8);
      // A UTF-8 sequence first and a line of blanks past the test's window,
      // so that the UTF-8 test succeeds whatever the file holds after it.
      bytes = "\xC3\xA4=1\r\n" + std::string(2100, ' ') + "\r\n" + bytes;
    }
    if (GetParam() == Way::kUtf8) bytes = "\xEF\xBB\xBF" + bytes;
    fs_.AddFile(u"C:\\Daemon\\ZARN.cfg", bytes);
    return reader_.GetCfg(u"C:\\Daemon\\ZARN.cfg");
  }
};

TEST_P(CfgReaderWaysTest, EveryKindOfLineEnd) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(testing::Message() << "line end " << int(end[0]));
    const std::string body =
        std::string("[ZARN]") + end + "CANCELTIME=00:10:00" + end + end +
        "LOADTIME=00:20:00" + end + "[X]" + end + "LOADTIME=9" + end;
    ASSERT_TRUE(ReadFile(body));
    ASSERT_TRUE(reader_.GetSection(u"ZARN"));
    EXPECT_EQ(reader_.GetValue(u"CANCELTIME"), u"00:10:00");
    EXPECT_EQ(reader_.GetValue(u"LOADTIME"), u"00:20:00");
  }
}

TEST_P(CfgReaderWaysTest, UmlautsAndBlocks) {
  ASSERT_TRUE(
      ReadFile("[Velmora-Suite Scheduler]\r\nTEMPPFAD=C:\\Pr\xFC"
               "fung\r\n"
               "TEXT=|BEGIN|\r\none\r\n\r\ntwo|END|\r\n"));
  ASSERT_TRUE(reader_.GetSection(u"Velmora-Suite Scheduler"));
  if (GetParam() == Way::kDecoded) {
    EXPECT_EQ(reader_.GetValue(u"TEMPPFAD"), u"C:\\Prüfung");
  } else if (GetParam() == Way::kLines) {
    // Lines are read in ANSI; a blank line inside a block adds a line end.
    EXPECT_EQ(reader_.GetValue(u"TEMPPFAD"), u"C:\\Prüfung");
    EXPECT_EQ(reader_.GetValue(u"TEXT"), u"one\r\n\r\ntwo");
    return;
  } else {
    EXPECT_EQ(reader_.GetValue(u"TEMPPFAD"), u"C:\\Pr\uFFFDfung");
  }
  EXPECT_EQ(reader_.GetValue(u"TEXT"), u"one\r\ntwo");
}

INSTANTIATE_TEST_SUITE_P(Ways, CfgReaderWaysTest,
                         ::testing::Values(Way::kDecoded, Way::kUtf8,
                                           Way::kLines),
                         [](const ::testing::TestParamInfo<Way>& param_info) {
                           return param_info.param == Way::kDecoded ? "Decoded"
                                  : param_info.param == Way::kUtf8  ? "Utf8"
                                                                    : "Lines";
                         });

TEST_F(CfgReaderTest, LineReadingKeepsLinesAsRead) {
  code_pages_.Refuse(kCodePageUtf8);
  fs_.AddFile(u"C:\\D\\ZARN.cfg",
              "\xC3\xA4\r\n[A] \r\n  K=1\r\n\r\n[B]\r\nK = 2 \r\n");
  ASSERT_TRUE(reader_.GetCfg(u"C:\\D\\ZARN.cfg"));
  // Not trimmed: the header with a trailing blank doesn't match, and a key
  // behind blanks is not found.
  EXPECT_FALSE(reader_.GetSection(u"A"));
  EXPECT_EQ(Section(u"B"), Entries{u"K = 2 "});
  ASSERT_TRUE(reader_.GetSection(u"B"));
  EXPECT_EQ(reader_.GetValue(u"K"), u"2");
}

TEST_F(CfgReaderTest, FilesThatGiveNothing) {
  fs_.AddFile(u"C:\\D\\empty.cfg", "");
  fs_.AddFile(u"C:\\D\\mark.cfg", "\xEF\xBB\xBF");
  fs_.AddFile(u"C:\\D\\blanks.cfg", "   \r\n  ");
  fs_.AddFolder(u"C:\\D\\folder.cfg");
  fs_.AddUnreadableFile(u"C:\\D\\locked.cfg");

  EXPECT_FALSE(reader_.GetCfg(u"C:\\D\\missing.cfg"));
  EXPECT_FALSE(reader_.has_lines());
  EXPECT_FALSE(reader_.GetCfg(u"C:\\D\\folder.cfg"));
  EXPECT_FALSE(reader_.GetCfg(u"C:\\D\\locked.cfg"));
  // A web address that answers passes the probe but is no file to read.
  http_.Respond(u"http://server/ZARN.cfg", HttpHeadResponse{true, 200, {}, {}});
  EXPECT_FALSE(reader_.GetCfg(u"http://server/ZARN.cfg"));
  // The reader and then the decoder each ask the probe.
  EXPECT_EQ(http_.requests().size(), 2u);
  EXPECT_FALSE(reader_.GetCfgUTF8(u"C:\\D\\missing.cfg"));

  for (const char16_t* path :
       {u"C:\\D\\empty.cfg", u"C:\\D\\mark.cfg", u"C:\\D\\blanks.cfg"}) {
    SCOPED_TRACE(Utf16ToUtf8(path));
    CfgReader reader(helpers_, fs_, code_pages_);
    EXPECT_TRUE(reader.GetCfg(path));
    EXPECT_TRUE(reader.has_lines());
    Entries values;
    EXPECT_FALSE(reader.GetSectionValues(u"", values));
  }
}

TEST_F(CfgReaderTest, MissingFileLeavesTheListsAsTheyWere) {
  fs_.AddFile(u"C:\\D\\ZARN.cfg", "[ZARN]\r\nLOADTIME=00:20:00\r\n");
  ASSERT_TRUE(reader_.GetCfg(u"C:\\D\\ZARN.cfg"));
  EXPECT_FALSE(reader_.GetCfg(u"C:\\D\\other.cfg"));
  ASSERT_TRUE(reader_.GetSection(u"ZARN"));
  EXPECT_EQ(reader_.GetValue(u"LOADTIME"), u"00:20:00");
}

TEST_F(CfgReaderTest, ReadsUtf16LeAndUtf8WithoutMark) {
  const std::u16string text = u"[ZARN]\r\nTEMPPFAD=Überwachung\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : text) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  fs_.AddFile(u"C:\\D\\utf16.cfg", utf16);
  fs_.AddFile(u"C:\\D\\utf8.cfg", Utf16ToUtf8(text));
  for (const char16_t* path : {u"C:\\D\\utf16.cfg", u"C:\\D\\utf8.cfg"}) {
    SCOPED_TRACE(Utf16ToUtf8(path));
    CfgReader reader(helpers_, fs_, code_pages_);
    ASSERT_TRUE(reader.GetCfg(path));
    ASSERT_TRUE(reader.GetSection(u"ZARN"));
    EXPECT_EQ(reader.GetValue(u"TEMPPFAD"), u"Überwachung");
  }
}

// A suite's configuration may be large; the reading goes through it once.
// Cutting each line off the front of the remaining text made this case take
// minutes (and ctest's limit) instead of a fraction of a second.
TEST_F(CfgReaderTest, LargeConfigurationIsReadInOnePass) {
  constexpr int kSections = 50000;
  std::u16string text;
  for (int s = 0; s < kSections; ++s) {
    text += u"[S" + ToDecimal(s) + u"]\r\nA=" + ToDecimal(s) + u"\r\n\r\n";
  }
  text += u"[ZARN]\r\nCANCELTIME=00:10:00\r\n";
  fs_.AddFile(u"C:\\big.cfg", Utf16ToUtf8(text));
  for (bool from_file : {false, true}) {
    SCOPED_TRACE(from_file ? "GetCfg" : "GetCFGString");
    CfgReader reader(helpers_, fs_, code_pages_);
    if (from_file) {
      ASSERT_TRUE(reader.GetCfg(u"C:\\big.cfg"));
    } else {
      reader.GetCFGString(text);
    }
    EXPECT_TRUE(reader.GetSection(u"ZARN"));
    EXPECT_EQ(reader.GetValue(u"CANCELTIME"), u"00:10:00");
    EXPECT_TRUE(reader.GetSection(u"S49999"));
    EXPECT_EQ(reader.GetValue(u"A"), u"49999");
  }
}

}  // namespace
}  // namespace zarn
