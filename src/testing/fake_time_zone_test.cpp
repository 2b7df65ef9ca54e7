#include "testing/fake_time_zone.h"

#include <gtest/gtest.h>

namespace zarn {
namespace {

int64_t Utc(int year, int month, int day, int hour, int minute, int second) {
  return DateTime::FromCivil(year, month, day, hour, minute, second).seconds();
}

TEST(FakeTimeZoneTest, ChangesFallOnTheZonesSundaysInBothHemispheres) {
  struct Case {
    const char* name;
    FakeTimeZone zone;
    DateTime local;
    UtcReadings utc;
    bool shown;  // false: the spring change skips this local time
  };
  const FakeTimeZone berlin = FakeTimeZone::EuropeBerlin();
  const FakeTimeZone sydney = FakeTimeZone::AustraliaSydney();
  const auto at = [](int y, int mo, int d, int h, int mi, int s) {
    return DateTime::FromCivil(y, mo, d, h, mi, s);
  };
  const auto once = [](int64_t utc) { return UtcReadings{utc, utc}; };
  const Case cases[] = {
      {"Berlin winter", berlin, at(2026, 1, 15, 12, 0, 0),
       once(Utc(2026, 1, 15, 11, 0, 0)), true},
      {"Berlin summer", berlin, at(2026, 7, 15, 12, 0, 0),
       once(Utc(2026, 7, 15, 10, 0, 0)), true},
      {"Berlin before spring", berlin, at(2026, 3, 29, 1, 59, 59),
       once(Utc(2026, 3, 29, 0, 59, 59)), true},
      {"Berlin spring gap",
       berlin,
       at(2026, 3, 29, 2, 30, 0),
       {Utc(2026, 3, 29, 0, 30, 0), Utc(2026, 3, 29, 1, 30, 0)},
       false},
      {"Berlin after spring", berlin, at(2026, 3, 29, 3, 0, 0),
       once(Utc(2026, 3, 29, 1, 0, 0)), true},
      {"Berlin doubled hour",
       berlin,
       at(2026, 10, 25, 2, 30, 0),
       {Utc(2026, 10, 25, 0, 30, 0), Utc(2026, 10, 25, 1, 30, 0)},
       true},
      {"Berlin after autumn", berlin, at(2026, 10, 25, 3, 0, 0),
       once(Utc(2026, 10, 25, 2, 0, 0)), true},
      {"Sydney summer", sydney, at(2026, 1, 15, 12, 0, 0),
       once(Utc(2026, 1, 15, 1, 0, 0)), true},
      {"Sydney winter", sydney, at(2026, 7, 15, 12, 0, 0),
       once(Utc(2026, 7, 15, 2, 0, 0)), true},
      {"Sydney doubled hour",
       sydney,
       at(2026, 4, 5, 2, 30, 0),
       {Utc(2026, 4, 4, 15, 30, 0), Utc(2026, 4, 4, 16, 30, 0)},
       true},
      {"Sydney after autumn", sydney, at(2026, 4, 5, 3, 0, 0),
       once(Utc(2026, 4, 4, 17, 0, 0)), true},
      {"Sydney before spring", sydney, at(2026, 10, 4, 1, 59, 59),
       once(Utc(2026, 10, 3, 15, 59, 59)), true},
      {"Sydney spring gap",
       sydney,
       at(2026, 10, 4, 2, 30, 0),
       {Utc(2026, 10, 3, 15, 30, 0), Utc(2026, 10, 3, 16, 30, 0)},
       false},
      {"UTC", FakeTimeZone::Utc(), at(2026, 3, 29, 2, 30, 0),
       once(Utc(2026, 3, 29, 2, 30, 0)), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.zone.ToUtc(c.local), c.utc);
    EXPECT_EQ(c.zone.ToLocal(c.utc.earlier) == c.local, c.shown);
    EXPECT_EQ(c.zone.ToLocal(c.utc.later) == c.local, c.shown);
  }
}

TEST(FakeTimeZoneTest, DaylightSavingOffShowsStandardTimeAllYear) {
  // 15 July 2026, 10:00 UTC: 12:00 summer time in Berlin, 11:00 standard.
  const int64_t utc = Utc(2026, 7, 15, 10, 0, 0);
  const DateTime summer = DateTime::FromCivil(2026, 7, 15, 12, 0, 0);
  const DateTime standard = DateTime::FromCivil(2026, 7, 15, 11, 0, 0);
  const auto once = [](int64_t s) { return UtcReadings{s, s}; };
  struct Case {
    const char* name;
    FakeTimeZone zone;
    DateTime shown;     // the system's clock at `utc`
    UtcReadings rules;  // what the rules make of `shown`
  };
  const FakeTimeZone berlin = FakeTimeZone::EuropeBerlin();
  const Case cases[] = {
      {"on", berlin, summer, once(utc)},
      {"off, rules follow", berlin.WithDaylightSavingOff(true), standard,
       once(utc)},
      {"off, rules unaware", berlin.WithDaylightSavingOff(false), standard,
       once(utc - 3600)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.zone.ToLocal(utc), c.shown);
    EXPECT_EQ(c.zone.ShownToUtc(c.shown), once(utc));
    EXPECT_EQ(c.zone.ToUtc(c.shown), c.rules);
  }
}

}  // namespace
}  // namespace zarn
