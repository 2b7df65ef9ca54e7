#include "watchdog/event_report.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text.h"
#include "testing/fake_event_log.h"

namespace zarn {
namespace {

class EventReportTest : public ::testing::Test {
 protected:
  // The insertion string a workbook path of `text` becomes.
  std::u16string AsInserted(std::u16string_view text) {
    FakeEventLog log;
    EventReport report(log);
    report.ReportRestart(RestartCause::kSilence, text, 301,
                         TimeLimit::FromText(u"00:05:00"));
    return log.events().empty() ? u"(none)" : log.events()[0].strings[0];
  }

  FakeEventLog log_;
  EventReport report_{log_};
};

TEST_F(EventReportTest, InsertionStringsLeaveTheEventWhole) {
  struct Case {
    const char* what;
    std::u16string text;
    std::u16string inserted;
  };
  const Case cases[] = {
      {"plain path", u"C:\\ZARN\\Prüfung.xls", u"C:\\ZARN\\Prüfung.xls"},
      {"percent", u"100% fertig", u"100％ fertig"},
      {"looks like %1", u"%1 und %2", u"％1 und ％2"},
      {"parameter %%1", u"%%1", u"％％1"},
      {"SID insert", u"%{S-1-5-18}", u"％{S-1-5-18}"},
      {"percent at the end", u"x%", u"x％"},
      {"CR LF", u"a\r\nb", u"a¶b"},
      {"CR, LF", u"a\rb\nc", u"a¶b¶c"},
      {"two breaks", u"a\n\nb", u"a¶¶b"},
      {"Unicode breaks", u"a\u2028b\u2029c\u0085d", u"a¶b¶c¶d"},
      {"tab stays", u"a\tb", u"a\tb"},
      {"NUL", std::u16string(u"a\0b", 3), u"a\uFFFDb"},
      {"controls", u"\u0001\u001B\u007F\u009F", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"non-characters", u"\uFFFE\uFFFF", u"\uFFFD\uFFFD"},
      {"pair stays", u"a\U0001F600b", u"a\U0001F600b"},
      {"lone surrogates",
       u"a\xD83D"
       u"b\xDE00",
       u"a\uFFFDb\uFFFD"},
      {"empty", u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(AsInserted(c.text), c.inserted);
  }
}

TEST_F(EventReportTest, LongTextKeepsItsBeginningAndEndAroundAMarker) {
  std::u16string text = u"C:\\Anfang\\" + std::u16string(32000, u'x');
  text += u"\\Ende.xls";
  const std::u16string inserted = AsInserted(text);
  ASSERT_LE(inserted.size(), kInsertionTextLimit);
  EXPECT_TRUE(StartsWith(inserted, u"C:\\Anfang\\xxx"));
  EXPECT_TRUE(inserted.ends_with(u"xxx\\Ende.xls"));
  const size_t kept =
      inserted.size() - (u" …[" + ToDecimal(static_cast<int64_t>(text.size())) +
                         u" Zeichen ausgelassen]… ")
                            .size();
  EXPECT_TRUE(Contains(
      inserted, u" …[" + ToDecimal(static_cast<int64_t>(text.size() - kept)) +
                    u" Zeichen ausgelassen]… "));
  // A limit's worth stays whole.
  const std::u16string fits(kInsertionTextLimit, u'y');
  EXPECT_EQ(AsInserted(fits), fits);
}

TEST_F(EventReportTest, ACutNeverPartsASurrogatePair) {
  std::u16string text;
  for (int i = 0; i < 16000; ++i) text += u"\U0001F600";
  for (const std::u16string& t : {text, u"x" + text, text + u"x"}) {
    const std::u16string inserted = AsInserted(t);
    EXPECT_LE(inserted.size(), kInsertionTextLimit);
    EXPECT_EQ(AsInserted(inserted), inserted) << "a lone surrogate was left";
  }
}

TEST_F(EventReportTest, EachActionWritesItsOwnEvent) {
  const TimeLimit five = TimeLimit::FromText(u"00:05:00");
  const std::u16string book = u"C:\\Tools\\Daemon\\Check.xls";
  // Ages count whole hours; one from the future has a sign.
  report_.ReportRestart(RestartCause::kSilence, book, 90061, five);
  report_.ReportRestart(RestartCause::kUser, book, -5, five);
  report_.ReportStartFailed(book, 2);
  report_.ReportRestartRefused(book, 3, TimeLimit::FromText(u"01:00:00"));
  report_.ReportUnreadableRestarts({u"gestern", u"42%"});
  report_.ReportNeverReported(five);
  report_.ReportSecondInstance(u"C:\\Tools\\Daemon\\ZARNDaemon.exe");
  report_.ReportDumpWritten(4711, u"D:\\Dumps\\ZARN_1.dmp");
  report_.ReportDumpSkipped(812, u"Der Prozess lässt sich nicht öffnen.");
  report_.ReportMalformedConfiguration(u"C:\\Tools\\Daemon\\ZARN.cfg",
                                       u"Die DUMPMAX ...");
  using L = EventLevel;
  const std::vector<Event> expected = {
      {L::kInformation, 1, 1000, {book, u"25:01:01", u"00:05:00"}},
      {L::kInformation, 1, 1001, {book, u"-00:00:05", u"00:05:00"}},
      {L::kError, 1, 1002, {book, u"2"}},
      {L::kError, 1, 1010, {book, u"3", u"01:00:00"}},
      {L::kWarning, 1, 1011, {u"'gestern', '42％'"}},
      {L::kWarning, 2, 2000, {u"00:05:00"}},
      {L::kInformation, 2, 2001, {u"C:\\Tools\\Daemon\\ZARNDaemon.exe"}},
      {L::kInformation, 3, 3000, {u"4711", u"D:\\Dumps\\ZARN_1.dmp"}},
      {L::kWarning, 3, 3001, {u"812", u"Der Prozess lässt sich nicht öffnen."}},
      {L::kError,
       4,
       4000,
       {u"C:\\Tools\\Daemon\\ZARN.cfg", u"Die DUMPMAX ..."}},
  };
  EXPECT_EQ(log_.events(), expected);
  ASSERT_EQ(std::size(event_ids::kAllEvents), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(event_ids::kAllEvents[i], expected[i].id);
  }
}

TEST_F(EventReportTest, AfterTheFirstRefusalTheLogIsLeftAlone) {
  log_.set_refuse(true);
  report_.ReportNeverReported(TimeLimit::FromText(u"00:05:00"));
  log_.set_refuse(false);
  report_.ReportSecondInstance(u"x");
  report_.ReportDumpWritten(1, u"y");
  EXPECT_EQ(log_.report_count(), 1);
  EXPECT_TRUE(log_.events().empty());
}

TEST_F(EventReportTest, SwitchIsZeroOrOne) {
  const std::u16string malformed =
      u"Die EREIGNISPROTOKOLL in der Sektion [ZARN] der Konfiguration ist "
      u"weder 0 noch 1. Der Wert wird auf 1 gesetzt.";
  struct Case {
    const char16_t* value;
    bool on;
    bool reported;
  };
  const Case cases[] = {{u"", true, false},     {u"1", true, false},
                        {u"0", false, false},   {u"00", true, true},
                        {u"2", true, true},     {u"aus", true, true},
                        {u"false", true, true}, {u"\uff10", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.value));
    const EventLogSwitch s = ReadEventLogSwitch(c.value);
    EXPECT_EQ(s.on, c.on);
    EXPECT_EQ(s.malformed_message, c.reported ? malformed : u"");
  }
}

}  // namespace
}  // namespace zarn
