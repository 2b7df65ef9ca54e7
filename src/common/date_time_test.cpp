#include "common/date_time.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zarn {
namespace {

TEST(DateTimeTest, OleDateRoundTripsAtWholeSeconds) {
  struct Case {
    double ole;
    CivilTime civil;
  };
  const Case cases[] = {
      {0.0, {1899, 12, 30, 0, 0, 0}},       {2.0, {1900, 1, 1, 0, 0, 0}},
      {-1.25, {1899, 12, 29, 6, 0, 0}},     {46363.5, {2026, 12, 7, 12, 0, 0}},
      {2958465.0, {9999, 12, 31, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ole);
    const auto parsed = DateTime::FromOleDate(c.ole);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, DateTime::FromCivil(c.civil));
    EXPECT_DOUBLE_EQ(parsed->ToOleDate(), c.ole);
  }
}

TEST(DateTimeTest, FromOleDateRoundsToTheNearestSecond) {
  const DateTime base = DateTime::FromCivil(2026, 12, 6, 3, 41, 47);
  const double ole = base.ToOleDate();
  const double one_second = 1.0 / 86400;
  EXPECT_EQ(*DateTime::FromOleDate(ole + 0.4 * one_second), base);
  EXPECT_EQ(*DateTime::FromOleDate(ole - 0.4 * one_second), base);
  EXPECT_EQ(*DateTime::FromOleDate(ole + 0.6 * one_second), base + 1);
}

TEST(DateTimeTest, RejectsOleDatesOutsideTheirRange) {
  EXPECT_FALSE(DateTime::FromOleDate(std::nan("")).has_value());
  EXPECT_FALSE(DateTime::FromOleDate(2958466.0).has_value());
  EXPECT_FALSE(DateTime::FromOleDate(-657435.0).has_value());
}

TEST(DateTimeTest, TheFirstDayOfTheOleRangeIsWhole) {
  for (const DateTime when :
       {DateTime::FromCivil(100, 1, 1), DateTime::FromCivil(100, 1, 1, 9),
        DateTime::FromCivil(100, 1, 1, 23, 59, 59)}) {
    SCOPED_TRACE(when.seconds());
    const std::optional<DateTime> back =
        DateTime::FromOleDate(when.ToOleDate());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, when);
  }
  EXPECT_FALSE(DateTime::FromOleDate(
                   DateTime::FromCivil(99, 12, 31, 23, 59, 59).ToOleDate())
                   .has_value());
}

TEST(DateTimeTest, LimitArithmeticIsExact) {
  // A report exactly one limit old is not overdue: last + limit < now must
  // be false at 10:05:00 and true a second later.
  const DateTime last = DateTime::FromCivil(2026, 12, 7, 10, 0, 0);
  const int64_t five_minutes = 5 * 60;
  EXPECT_FALSE(last + five_minutes <
               DateTime::FromCivil(2026, 12, 7, 10, 5, 0));
  EXPECT_TRUE(last + five_minutes < DateTime::FromCivil(2026, 12, 7, 10, 5, 1));
  // The same through the OLE boundary, where float sums would drift.
  const DateTime round_trip = *DateTime::FromOleDate(last.ToOleDate());
  EXPECT_EQ(round_trip + five_minutes,
            DateTime::FromCivil(2026, 12, 7, 10, 5, 0));
}

TEST(DateTimeTest, CivilFieldsAcrossLeapDaysAndTheEpoch) {
  const CivilTime leap = DateTime::FromCivil(2024, 2, 29, 23, 59, 59).ToCivil();
  EXPECT_EQ(leap.year, 2024);
  EXPECT_EQ(leap.month, 2);
  EXPECT_EQ(leap.day, 29);
  EXPECT_EQ(leap.second, 59);
  EXPECT_EQ(
      (DateTime::FromCivil(2024, 3, 1) - DateTime::FromCivil(2024, 2, 28)),
      2 * DateTime::kSecondsPerDay);
  const CivilTime before = DateTime::FromSeconds(-1).ToCivil();
  EXPECT_EQ(before.day, 29);
  EXPECT_EQ(before.hour, 23);
  EXPECT_EQ(DateTime::FromSeconds(-1).SecondOfDay(), 86399);
  EXPECT_EQ(kNeverReported, DateTime::FromCivil(1900, 1, 1));
}

// Checked against the calendar arithmetic itself: the days from the first
// of the month to the first of the next.
TEST(DateTimeTest, DaysInMonthAgreesWithTheCalendar) {
  for (const int year : {100, 1899, 1900, 2000, 2023, 2024, 9998}) {
    for (int month = 1; month <= 12; ++month) {
      SCOPED_TRACE(testing::Message() << year << "-" << month);
      const DateTime first = DateTime::FromCivil(year, month, 1);
      const DateTime next = month == 12
                                ? DateTime::FromCivil(year + 1, 1, 1)
                                : DateTime::FromCivil(year, month + 1, 1);
      EXPECT_EQ(DaysInMonth(year, month),
                (next - first) / DateTime::kSecondsPerDay);
    }
  }
}

TEST(DateTimeTest, FormatDateTimePadsEachFieldAndPutsTheMarksBetween) {
  struct Case {
    DateTime when;
    char16_t date_mark;
    char16_t middle;
    char16_t time_mark;
    std::u16string text;
  };
  const Case cases[] = {
      {DateTime::FromCivil(2026, 12, 8, 1, 2, 3), u'-', u'T', u':',
       u"2026-12-08T01:02:03"},
      {DateTime::FromCivil(2027, 1, 2, 23, 0, 9), u'-', u'_', u'-',
       u"2027-01-02_23-00-09"},
      {DateTime::FromCivil(999, 1, 1), u'.', u' ', u':',
       u"0999.01.01 00:00:00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDateTime(c.when, c.date_mark, c.middle, c.time_mark),
              c.text);
  }
}

}  // namespace
}  // namespace zarn
