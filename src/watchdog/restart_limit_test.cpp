#include "watchdog/restart_limit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/date_time.h"
#include "common/text.h"

namespace zarn {
namespace {

int64_t Utc(int year, int month, int day, int hour, int minute, int second) {
  return DateTime::FromCivil(year, month, day, hour, minute, second).seconds();
}

const int64_t kNow = Utc(2026, 12, 8, 10, 0, 0);

TEST(RestartLimitTest, RestartMaxIsAWholeNumberFromOneTo999) {
  struct Case {
    const char16_t* text;
    std::optional<int> max;
  };
  const Case cases[] =
      {
          {u"1", 1},     {u"3", 3},       {u"007", 7},   {u"999", 999},
          {u"0", {}},    {u"000", {}},    {u"1000", {}}, {u"", {}},
          {u"-1", {}},   {u"+2", {}},     {u"2.0", {}},  {u"2 ", {}},
          {u"zwei", {}}, {u"\uff12", {}},  // a full-width digit two
          {u"1e2", {}},
      };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(ParseRestartMax(c.text), c.max);
  }
}

TEST(RestartLimitTest, RestartTimeIsALimitOfAtLeastOneSecond) {
  struct Case {
    const char16_t* text;
    int64_t seconds;  // -1: malformed
  };
  const Case cases[] = {
      {u"00:00:01", 1},  {u"01:00:00", 3600}, {u"23:59:59", 86399},
      {u"00:00:00", -1}, {u"24:00:00", -1},   {u"1:00:00", -1},
      {u"01:00", -1},    {u"01-00-00", -1},   {u"", -1},
      {u"01:60:00", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    const std::optional<TimeLimit> span = ParseRestartSpan(c.text);
    if (c.seconds < 0) {
      EXPECT_FALSE(span.has_value());
    } else {
      ASSERT_TRUE(span.has_value());
      EXPECT_EQ(span->seconds(), c.seconds);
      EXPECT_EQ(span->text(), c.text);
    }
  }
}

TEST(RestartLimitTest, CaptionCountsAgainstTheLimit) {
  const RestartQuota limit{3, TimeLimit::FromText(u"01:00:00")};
  EXPECT_EQ(limit.Caption(0), u"0 von 3 innerhalb 01:00:00");
  EXPECT_EQ(limit.Caption(3), u"3 von 3 innerhalb 01:00:00");
}

TEST(RestartLimitTest, TimesAreIso8601InUtcAndReadBack) {
  struct Case {
    int64_t utc;
    const char16_t* text;
  };
  const Case cases[] = {
      {Utc(2026, 12, 8, 1, 2, 3), u"2026-12-08T01:02:03Z"},
      {Utc(1900, 1, 1, 0, 0, 0), u"1900-01-01T00:00:00Z"},
      {Utc(2028, 2, 29, 23, 59, 59), u"2028-02-29T23:59:59Z"},
      {Utc(9999, 12, 31, 23, 59, 59), u"9999-12-31T23:59:59Z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(FormatRestartTime(c.utc), c.text);
    EXPECT_EQ(ParseRestartTime(c.text), c.utc);
  }
}

TEST(RestartLimitTest, AnythingButThatFormIsNoTime) {
  const char16_t* texts[] = {
      u"",
      u"2026-12-08T01:02:03",   // no zone
      u"2026-12-08T01:02:03z",  // lower-case zone
      u"2026-12-08 01:02:03Z",
      u"2026-12-08T01:02:03+01:00",
      u"08.12.2026 01:02:03",
      u"2026-13-08T01:02:03Z",
      u"2026-00-08T01:02:03Z",
      u"2026-02-29T01:02:03Z",  // no leap year
      u"2026-12-00T01:02:03Z",
      u"2026-12-08T24:00:00Z",
      u"2026-12-08T01:60:03Z",
      u"2026-12-08T01:02:60Z",
      u"1899-12-31T00:00:00Z",
      u"20x6-12-08T01:02:03Z",
      u"-026-12-08T01:02:03Z",
  };
  for (const char16_t* text : texts) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    EXPECT_EQ(ParseRestartTime(text), std::nullopt);
  }
}

TEST(RestartLimitTest, HistoryKeepsTheTimesWithinTheSpan) {
  const TimeLimit hour = TimeLimit::FromText(u"01:00:00");
  struct Case {
    const char* name;
    std::u16string text;
    std::vector<int64_t> times;
    std::vector<std::u16string> unreadable;
    bool changed;
  };
  const Case cases[] = {
      {"empty", u"", {}, {}, false},
      {"only separators and blanks", u" ; ;", {}, {}, true},
      {"one recent", u"2026-12-08T09:30:00Z", {kNow - 1800}, {}, false},
      {"two in order",
       u"2026-12-08T09:10:00Z;2026-12-08T09:50:00Z",
       {kNow - 3000, kNow - 600},
       {},
       false},
      {"just inside the span",
       u"2026-12-08T09:00:01Z",
       {kNow - 3599},
       {},
       false},
      {"exactly a span old has left it", u"2026-12-08T09:00:00Z", {}, {}, true},
      {"old ones pruned",
       u"2026-12-07T09:30:00Z;2026-12-08T08:59:59Z;2026-12-08T09:30:00Z",
       {kNow - 1800},
       {},
       true},
      {"put in order",
       u"2026-12-08T09:50:00Z;2026-12-08T09:10:00Z",
       {kNow - 3000, kNow - 600},
       {},
       true},
      {"blanks trimmed", u" 2026-12-08T09:30:00Z ", {kNow - 1800}, {}, true},
      {"the same second twice",
       u"2026-12-08T09:30:00Z;2026-12-08T09:30:00Z",
       {kNow - 1800, kNow - 1800},
       {},
       false},
      {"now counts", u"2026-12-08T10:00:00Z", {kNow}, {}, false},
      {"from the future counts as now",
       u"2026-12-08T11:00:00Z;2027-12-08T10:00:00Z",
       {kNow, kNow},
       {},
       true},
      {"unreadable named and left out",
       u"gestern;2026-12-08T09:30:00Z; 08.12.2026 09:40:00 ;Z",
       {kNow - 1800},
       {u"gestern", u"08.12.2026 09:40:00", u"Z"},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RestartHistory history = ReadRestartHistory(c.text, kNow, hour);
    EXPECT_EQ(history.times, c.times);
    EXPECT_EQ(history.unreadable, c.unreadable);
    EXPECT_EQ(history.changed, c.changed);
  }
}

TEST(RestartLimitTest, FutureTimesLeaveTheSpanOneSpanAfterTheyWereSeen) {
  const TimeLimit span = TimeLimit::FromText(u"00:10:00");
  // The clock was set back a day after a restart: written back as now, the
  // restart leaves the span ten minutes later instead of a day later.
  RestartHistory seen = ReadRestartHistory(u"2026-12-09T10:00:00Z", kNow, span);
  ASSERT_EQ(seen.times, std::vector<int64_t>{kNow});
  const std::u16string written = FormatRestartHistory(seen.times);
  EXPECT_EQ(written, u"2026-12-08T10:00:00Z");
  EXPECT_EQ(ReadRestartHistory(written, kNow + 599, span).times.size(), 1u);
  EXPECT_TRUE(ReadRestartHistory(written, kNow + 600, span).times.empty());
}

TEST(RestartLimitTest, HistoryKeepsAtMostTheYoungest999) {
  std::vector<int64_t> times;
  for (int i = 1000; i >= 1; --i) times.push_back(kNow - i);
  const RestartHistory history = ReadRestartHistory(
      FormatRestartHistory(times), kNow, TimeLimit::FromText(u"01:00:00"));
  ASSERT_EQ(history.times.size(), 999u);
  EXPECT_EQ(history.times.front(), kNow - 999);
  EXPECT_EQ(history.times.back(), kNow - 1);
  EXPECT_TRUE(history.changed);
}

TEST(RestartLimitTest, UnreadablePiecesAreNamedInOneShortLine) {
  struct Case {
    std::vector<std::u16string> pieces;
    const char16_t* message;
  };
  const std::u16string long_piece(50, u'x');
  const Case cases[] = {
      {{u"gestern"},
       u"ZARND: Unlesbare Einträge in DaemonRestarts verworfen: 'gestern'"},
      {{u"a", u"b", u"c"},
       u"ZARND: Unlesbare Einträge in DaemonRestarts verworfen: 'a', 'b', "
       u"'c'"},
      {{u"a", u"b", u"c", u"d", u"e"},
       u"ZARND: Unlesbare Einträge in DaemonRestarts verworfen: 'a', 'b', "
       u"'c' und 2 weitere"},
      {{long_piece},
       u"ZARND: Unlesbare Einträge in DaemonRestarts verworfen: "
       u"'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pieces.size());
    EXPECT_EQ(UnreadableRestartsMessage(c.pieces), c.message);
  }
}

TEST(RestartLimitTest, FormatJoinsWithSemicolons) {
  EXPECT_EQ(FormatRestartHistory({}), u"");
  EXPECT_EQ(FormatRestartHistory(
                {Utc(2026, 12, 8, 1, 2, 3), Utc(2026, 12, 8, 1, 2, 4)}),
            u"2026-12-08T01:02:03Z;2026-12-08T01:02:04Z");
}

}  // namespace
}  // namespace zarn
