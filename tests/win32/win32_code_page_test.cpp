// The decoder and the configuration reader on real files, with Windows'
// own conversion (German regional settings: ANSI is Windows-1252).
#include "platform/win32/win32_code_page.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "common/text.h"
#include "config/cfg_reader.h"
#include "config/unicode_file.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_network_drives.h"
#include "testing/encoding_cases.h"
#include "testing/fake_http_probe.h"
#include "testing/win32/test_temp_folder.h"

namespace zarn {
namespace {

class Win32CodePageTest : public ::testing::Test {
 protected:
  std::u16string Write(std::u16string_view name, std::string_view bytes) {
    const std::u16string path = temp_ / name;
    EXPECT_TRUE(win32::TestTempFolder::WriteFile(
        path, std::vector<uint8_t>(bytes.begin(), bytes.end())));
    return path;
  }

  win32::TestTempFolder temp_;
  std::unique_ptr<FileSystem> fs_ = NewWin32FileSystem();
  std::unique_ptr<NetworkDrives> drives_ = NewWin32NetworkDrives();
  std::unique_ptr<CodePageConverter> code_pages_ = NewWin32CodePageConverter();
  FakeHttpProbe http_;
  Unc unc_{*drives_};
  Helpers helpers_{*fs_, http_, unc_};
  UnicodeFile file_{helpers_, *fs_, *code_pages_};
};

TEST_F(Win32CodePageTest, AnsiCodePageIsWindows1252) {
  ASSERT_EQ(::GetACP(), 1252u);
  const std::vector<uint8_t> bytes = {'P', 'r', 0xFC, 0x80, 0x81};
  EXPECT_EQ(code_pages_->Decode(bytes, 0), u"Prü€\u0081");
  EXPECT_EQ(code_pages_->EncodeAnsi(u"Prüfung €\u4E00"),
            "Pr\xFC"
            "fung \x80?");
}

TEST_F(Win32CodePageTest, Utf8IllFormedBytesBecomeReplacement) {
  const std::vector<uint8_t> bytes = {'a', 0x80, 'z', 0xC3, 0xA4};
  EXPECT_EQ(code_pages_->Decode(bytes, 65001), u"a\uFFFDz\u00E4");
  EXPECT_EQ(code_pages_->Decode({}, 65001), u"");
}

TEST_F(Win32CodePageTest, DecodesEachEncodingCaseFromARealFile) {
  for (const EncodingCase& c : EncodingCases()) {
    SCOPED_TRACE(c.name);
    const std::u16string path =
        temp_ / (std::u16string(c.name, c.name + strlen(c.name)) + u".cfg");
    ASSERT_TRUE(win32::TestTempFolder::WriteFile(path, c.bytes));
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

TEST_F(Win32CodePageTest, ReaderTakesEveryEncodingAndLineEnd) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::u16string text =
      u"[ZARN]\nCANCELTIME = 00:10:00\r\n\r\n[GLOBALS]\rTEMPPFAD=C:\\Prüfung\r";
  std::string utf16 = "\xFF\xFE";
  for (char16_t ch : text) {
    utf16.push_back(static_cast<char>(ch & 0xFF));
    utf16.push_back(static_cast<char>(ch >> 8));
  }
  const std::vector<Case> cases = {
      {"ansi", code_pages_->EncodeAnsi(text)},
      {"utf8", Utf16ToUtf8(text)},
      {"utf8 with mark", "\xEF\xBB\xBF" + Utf16ToUtf8(text)},
      {"utf16 le", utf16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CfgReader reader(helpers_, *fs_, *code_pages_);
    ASSERT_TRUE(reader.GetCfg(Write(u"ZARN.cfg", c.bytes)));
    ASSERT_TRUE(reader.GetSection(u"ZARN"));
    EXPECT_EQ(reader.GetValue(u"CANCELTIME"), u"00:10:00");
    ASSERT_TRUE(reader.GetSection(u"GLOBALS"));
    EXPECT_EQ(reader.GetValue(u"TEMPPFAD"), u"C:\\Prüfung");
  }
}

TEST_F(Win32CodePageTest, ReaderOnFilesThatGiveNothing) {
  CfgReader reader(helpers_, *fs_, *code_pages_);
  EXPECT_FALSE(reader.GetCfg(temp_ / u"missing.cfg"));
  EXPECT_FALSE(reader.has_lines());
  EXPECT_FALSE(reader.GetCfg(temp_.path()));
  EXPECT_TRUE(reader.GetCfg(Write(u"empty.cfg", "")));
  EXPECT_TRUE(reader.GetCfg(Write(u"mark.cfg", "\xEF\xBB\xBF")));
  EXPECT_FALSE(reader.GetSection(u"ZARN"));
}

}  // namespace
}  // namespace zarn
