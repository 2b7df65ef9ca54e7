#include "watchdog/daemon_log.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "testing/fake_clock.h"
#include "testing/fake_code_page_converter.h"
#include "testing/fake_file_appender.h"
#include "testing/fake_regional.h"
#include "testing/helpers_fixture.h"

namespace zarn {
namespace {

class DaemonLogTest : public HelpersFixture {
 protected:
  DaemonLogTest() { fs_.AddFolder(u"C:\\Logs"); }

  std::string Line(const char* text) { return std::string(text) + "\r\n"; }

  FakeClock clock_;
  FakeRegional regional_;
  FakeFileAppender files_;
  FakeCodePageConverter code_pages_;
  DaemonLog log_{helpers_, files_, clock_, regional_, code_pages_};
  const DateTime when_ = DateTime::FromCivil(2026, 12, 6, 3, 41, 47);
};

TEST_F(DaemonLogTest, LineHasTheFixedLayout) {
  EXPECT_EQ(FormatDaemonLogLine(
                regional_, when_,
                u"ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls'", 0, 0),
            u"06.12.2026 03:41:47,0, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN "
            u"'C:\\Tools\\Daemon\\Check.xls'\"");
}

TEST_F(DaemonLogTest, LineCarriesNumberIdAndMidnightAsGiven) {
  EXPECT_EQ(FormatDaemonLogLine(regional_, DateTime::FromCivil(2026, 12, 6),
                                u"say \"hi\"", 1.5, -7),
            u"06.12.2026,1,5, Typ: 7, ID: -7, \"Err: say \"hi\"\"");
}

TEST_F(DaemonLogTest, ControlCharactersBecomeBlanks) {
  struct Case {
    std::u16string message;
    const char16_t* logged;
  };
  const Case cases[] = {
      {u"a\r\nb", u"a  b"},
      {u"a\nb\rc", u"a b c"},
      {std::u16string(u"a\0b", 3), u"a b"},
      {u"\tx\x1B[2J\x1F", u" x [2J "},
      {u"del\x7F", u"del "},
      // The line ends of Unicode beyond the C0 controls: NEL, LINE SEPARATOR
      // and PARAGRAPH SEPARATOR.
      {u"a\u0085b\u2028c\u2029d", u"a b c d"},
      {u"\u2028\u2028\u2029", u"   "},
      // Their neighbours are no line ends and stay.
      {u"\u0084\u0086\u2027\u202A\u00A0", u"\u0084\u0086\u2027\u202A\u00A0"},
      // Blanks, quotation marks and letters beyond ASCII stay as they are.
      {u" \"Ü\u00A0~", u" \"Ü\u00A0~"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.logged));
    EXPECT_EQ(FormatDaemonLogLine(regional_, when_, c.message, 0, 0),
              u"06.12.2026 03:41:47,0, Typ: 7, ID: 0, \"Err: " +
                  std::u16string(c.logged) + u"\"");
  }
}

TEST_F(DaemonLogTest, EmptyPathTouchesNoFile) {
  log_.WriteDaemonLog(when_, u"x", 0, 0);
  EXPECT_EQ(files_.attempts(), 0);
}

TEST_F(DaemonLogTest, CreatesTheFileWithOneAnsiLine) {
  log_.set_path(u"C:\\Logs\\daemon.log");
  log_.WriteDaemonLog(when_, u"Überwachung", 0, 0);
  EXPECT_EQ(files_.File(u"C:\\Logs\\daemon.log"),
            Line("06.12.2026 03:41:47,0, Typ: 7, ID: 0, \"Err: \xDC"
                 "berwachung\""));
}

TEST_F(DaemonLogTest, UnicodeLineEndsNeverReachAUtf8AnsiFile) {
  // With the ANSI code page set to UTF-8 they would be written as they are,
  // and a Unicode-aware reader would take each for the start of a line.
  code_pages_.set_ansi_code_page(kCodePageUtf8);
  log_.set_path(u"C:\\Logs\\daemon.log");
  log_.WriteDaemonLog(when_, u"Ü\u2028forged\u0085x\u2029y", 0, 0);
  EXPECT_EQ(files_.File(u"C:\\Logs\\daemon.log"),
            Line("06.12.2026 03:41:47,0, Typ: 7, ID: 0, \"Err: \xC3\x9C"
                 " forged x y\""));
}

TEST_F(DaemonLogTest, TwoEventsGiveTwoLinesOlderFirst) {
  log_.set_path(u"C:\\Logs\\daemon.log");
  log_.WriteDaemonLog(when_, u"one", 0, 0);
  log_.WriteDaemonLog(when_ + 1, u"two", 0, 0);
  EXPECT_EQ(files_.File(u"C:\\Logs\\daemon.log"),
            Line("06.12.2026 03:41:47,0, Typ: 7, ID: 0, \"Err: one\"") +
                Line("06.12.2026 03:41:48,0, Typ: 7, ID: 0, \"Err: two\""));
}

TEST_F(DaemonLogTest, MissingFolderIsNeitherCreatedNorWritten) {
  EXPECT_FALSE(log_.AppendLineToFile(u"x", u"C:\\Gone\\daemon.log"));
  EXPECT_EQ(files_.attempts(), 0);
  EXPECT_TRUE(fs_.create_calls().empty());
  EXPECT_FALSE(fs_.HasFolder(u"C:\\Gone"));
}

TEST_F(DaemonLogTest, PathWithoutBackslashIsTestedItself) {
  EXPECT_FALSE(log_.AppendLineToFile(u"x", u"daemon.log"));
  EXPECT_EQ(files_.attempts(), 0);
  fs_.AddFile(u"daemon.log", std::string_view(""));
  EXPECT_TRUE(log_.AppendLineToFile(u"x", u"daemon.log"));
  EXPECT_EQ(files_.File(u"daemon.log"), "x\r\n");
}

TEST_F(DaemonLogTest, LogPathPastMaxPathIsWritten) {
  std::u16string folder = u"C:\\Logs";
  while (folder.size() < 280) folder += u"\\abcdefghij";
  fs_.AddFolder(folder);
  log_.set_path(folder + u"\\sub\\..\\daemon.log");
  log_.WriteDaemonLog(when_, u"deep", 0, 0);
  EXPECT_EQ(files_.File(u"\\\\?\\" + folder + u"\\daemon.log"),
            Line("06.12.2026 03:41:47,0, Typ: 7, ID: 0, \"Err: deep\""));
  EXPECT_EQ(files_.attempts(), 1);
}

TEST_F(DaemonLogTest, RetriesAFailedOpenEvery100Ms) {
  files_.FailOpens(9);
  EXPECT_TRUE(log_.AppendLineToFile(u"late", u"C:\\Logs\\daemon.log"));
  EXPECT_EQ(files_.attempts(), 10);
  EXPECT_EQ(clock_.sleeps(), std::vector<uint32_t>(9, 100));
  EXPECT_EQ(files_.File(u"C:\\Logs\\daemon.log"), "late\r\n");
}

TEST_F(DaemonLogTest, GivesUpAfterTenAttemptsAndAboutOneSecond) {
  files_.FailOpens(-1);
  EXPECT_FALSE(log_.AppendLineToFile(u"lost", u"C:\\Logs\\daemon.log"));
  EXPECT_EQ(files_.attempts(), 10);
  EXPECT_EQ(clock_.elapsed_ms(), 1000);
  EXPECT_EQ(files_.File(u"C:\\Logs\\daemon.log"), std::nullopt);
}

TEST_F(DaemonLogTest, FailedWriteIsNotRetried) {
  files_.set_fail_writes(true);
  EXPECT_FALSE(log_.AppendLineToFile(u"x", u"C:\\Logs\\daemon.log"));
  EXPECT_EQ(files_.attempts(), 1);
  EXPECT_TRUE(clock_.sleeps().empty());
}

}  // namespace
}  // namespace zarn
