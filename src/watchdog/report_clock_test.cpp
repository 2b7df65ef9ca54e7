#include "watchdog/report_clock.h"

#include <gtest/gtest.h>

#include <utility>

#include "testing/fake_clock.h"

namespace zarn {
namespace {

constexpr int64_t kHour = 3600;

DateTime At(int year, int month, int day, int hour, int minute, int second) {
  return DateTime::FromCivil(year, month, day, hour, minute, second);
}

// Two readings of `clock`: 300 ms after it was set, and `later_ms` after
// that, with the wall clock stepped by `wall_step_ms` just before.
std::pair<ClockReading, ClockReading> ReadTwice(FakeClock& clock,
                                                int64_t later_ms,
                                                int64_t wall_step_ms) {
  clock.Advance(300);
  const ClockReading first = clock.Read();
  clock.Advance(later_ms);
  clock.StepWall(wall_step_ms);
  return {first, clock.Read()};
}

TEST(ReportClockTest, ReportsConvertAsTheSystemsClockShowedThem) {
  // The checker wrote its clock's time ten seconds before `now`, both as
  // the system's clock shows them. With "Adjust for daylight saving time
  // automatically" off, that is standard time all year, whether or not
  // the zone's rules say so.
  const FakeTimeZone berlin = FakeTimeZone::EuropeBerlin();
  const FakeTimeZone sydney = FakeTimeZone::AustraliaSydney();
  struct Case {
    const char* name;
    FakeTimeZone zone;
    DateTime now;  // as the system's clock shows it
  };
  const Case cases[] = {
      {"Berlin, summer", berlin, At(2026, 7, 15, 12, 0, 0)},
      {"Berlin off, summer", berlin.WithDaylightSavingOff(true),
       At(2026, 7, 15, 12, 0, 0)},
      {"Berlin off, rules unaware, summer", berlin.WithDaylightSavingOff(false),
       At(2026, 7, 15, 12, 0, 0)},
      {"Berlin off, rules unaware, winter", berlin.WithDaylightSavingOff(false),
       At(2026, 1, 15, 12, 0, 0)},
      {"Berlin off, rules unaware, an hour after spring",
       berlin.WithDaylightSavingOff(false), At(2026, 3, 29, 3, 30, 10)},
      {"Berlin off, rules unaware, in the hour spring skips",
       berlin.WithDaylightSavingOff(false), At(2026, 3, 29, 2, 30, 10)},
      {"Berlin off, rules unaware, in the hour autumn doubles",
       berlin.WithDaylightSavingOff(false), At(2026, 10, 25, 2, 30, 10)},
      {"Sydney off, rules unaware, summer", sydney.WithDaylightSavingOff(false),
       At(2026, 1, 15, 12, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClock clock(c.now, c.zone);
    ReportClock reports(clock);
    const ClockReading now = clock.Read();
    ASSERT_EQ(now.local, c.now);
    const UtcReadings utc = reports.UtcReadingsOf(c.now - 10, now);
    EXPECT_EQ(utc.later, now.UtcSeconds() - 10);
    EXPECT_EQ(now.RunningAtSecondStart() - reports.RunningAnchorOfFirstReport(
                                               c.now - 10, std::nullopt, now),
              10 * 1000);
  }
}

TEST(ReportClockTest, ChangedReportAgesFromZeroToTheTimeSinceThePreviousRead) {
  // Read at 09:00:00.300 and again 1.2 s later: a new text's second began
  // at most 2.2 s before the second read, and not after it.
  struct Case {
    const char* name;
    int64_t wall_step_s;  // between the report and the second read
    int64_t written_s;    // the text, from 09:00:00 as the clock showed it
    int64_t age_ms;       // at the second read
  };
  const Case cases[] = {
      {"its own second", 0, 1, 500},
      {"the second before the previous read", 0, 0, 1500},
      {"written before a step of +2 h", 2 * kHour, 1, 500},
      {"written after a step of +2 h", 2 * kHour, 2 * kHour + 1, 500},
      {"written before a step of -2 h", -2 * kHour, 1, 500},
      {"an hour in the future", 0, kHour, 0},
      {"ten minutes old", 0, -600, 2200},
      {"written between two steps, +2 h and -1 h", kHour, 2 * kHour + 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DateTime nine = At(2026, 12, 7, 9, 0, 0);
    FakeClock clock(nine);
    ReportClock reports(clock);
    const auto [previous, now] = ReadTwice(clock, 1200, c.wall_step_s * 1000);
    EXPECT_EQ(now.running_ms - reports.RunningAnchorOfChangedReport(
                                   nine + c.written_s, previous, now),
              c.age_ms);
  }
}

TEST(ReportClockTest, FirstReportIsPlacedAcrossAStepWhileTheDaemonStarted) {
  // The window appears at 09:00:00.300; the first read comes 0.9 s later,
  // after the wall clock moved by `wall_step_ms`.
  struct Case {
    const char* name;
    int64_t wall_step_ms;
    int64_t written_s;  // the text, from 09:00:00 as the clock showed it
    int64_t age_ms;     // at the first read
  };
  constexpr int64_t kTwoHoursMs = 2 * kHour * 1000;
  const Case cases[] = {
      {"no step, from the future", 0, 2, -800},
      {"no step, ten minutes old", 0, -600, 601200},
      {"no step to speak of: 0.5 s", 500, 0, 1700},
      {"+2 h, written before", kTwoHoursMs, 0, 1200},
      {"+2 h, ten minutes old", kTwoHoursMs, -600, 601200},
      {"+2 h, written after", kTwoHoursMs, 2 * kHour + 1, 200},
      {"-2 h, written before", -kTwoHoursMs, 0, 1200},
      {"-2 h, ten minutes old", -kTwoHoursMs, -600, 601200},
      {"-2 h, written after", -kTwoHoursMs, -2 * kHour + 1, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DateTime nine = At(2026, 12, 7, 9, 0, 0);
    FakeClock clock(nine);
    ReportClock reports(clock);
    const auto [start, now] = ReadTwice(clock, 900, c.wall_step_ms);
    EXPECT_EQ(now.running_ms - reports.RunningAnchorOfFirstReport(
                                   nine + c.written_s, start, now),
              c.age_ms);
  }
}

}  // namespace
}  // namespace zarn
