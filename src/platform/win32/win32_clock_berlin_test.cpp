// The clock backend in a zone with daylight-saving rules. Wine takes the
// zone from each process's TZ; CTest runs this program with
// TZ=Europe/Berlin.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/win32/win32_clock.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

int64_t Utc(int year, int month, int day, int hour, int minute, int second) {
  return DateTime::FromCivil(year, month, day, hour, minute, second).seconds();
}

class Win32ClockBerlinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Windows takes the zone from its own settings, never from TZ.
    if (!win32::RunningUnderWine()) {
      GTEST_SKIP() << "needs Wine: takes the time zone from TZ";
    }
    const char* zone = std::getenv("TZ");
    ASSERT_EQ(std::string(zone ? zone : ""), "Europe/Berlin")
        << "run this program with TZ=Europe/Berlin";
  }

  std::unique_ptr<Clock> clock_ = NewWin32Clock();
};

TEST_F(Win32ClockBerlinTest, LocalTimeBecomesUtcByTheRulesOfItsDate) {
  struct Case {
    const char* name;
    DateTime local;
    UtcReadings utc;
  };
  const auto at = [](int y, int mo, int d, int h, int mi, int s) {
    return DateTime::FromCivil(y, mo, d, h, mi, s);
  };
  const auto once = [](int64_t utc) { return UtcReadings{utc, utc}; };
  const Case cases[] = {
      {"winter", at(2026, 1, 15, 12, 0, 0), once(Utc(2026, 1, 15, 11, 0, 0))},
      {"summer", at(2026, 7, 15, 12, 0, 0), once(Utc(2026, 7, 15, 10, 0, 0))},
      {"last second before spring", at(2026, 3, 29, 1, 59, 59),
       once(Utc(2026, 3, 29, 0, 59, 59))},
      {"skipped by spring",
       at(2026, 3, 29, 2, 30, 0),
       {Utc(2026, 3, 29, 0, 30, 0), Utc(2026, 3, 29, 1, 30, 0)}},
      {"first second after spring", at(2026, 3, 29, 3, 0, 0),
       once(Utc(2026, 3, 29, 1, 0, 0))},
      {"last second before the doubled hour", at(2026, 10, 25, 1, 59, 59),
       once(Utc(2026, 10, 24, 23, 59, 59))},
      {"doubled by autumn",
       at(2026, 10, 25, 2, 30, 0),
       {Utc(2026, 10, 25, 0, 30, 0), Utc(2026, 10, 25, 1, 30, 0)}},
      {"first second after autumn", at(2026, 10, 25, 3, 0, 0),
       once(Utc(2026, 10, 25, 2, 0, 0))},
      // Other years change on other days.
      {"doubled by autumn 2025",
       at(2025, 10, 26, 2, 0, 0),
       {Utc(2025, 10, 26, 0, 0, 0), Utc(2025, 10, 26, 1, 0, 0)}},
      {"summer time 2027, a day before autumn", at(2027, 10, 30, 2, 30, 0),
       once(Utc(2027, 10, 30, 0, 30, 0))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(clock_->LocalToUtc(c.local), c.utc);
  }
}

TEST_F(Win32ClockBerlinTest, OneReadingHoldsTheLocalTimeOfItsUtcAndRunsOn) {
  const ClockReading first = clock_->Read();
  clock_->Sleep(50);
  const ClockReading second = clock_->Read();
  for (const ClockReading& r : {first, second}) {
    const UtcReadings utc = clock_->LocalToUtc(r.local);
    EXPECT_TRUE(utc.earlier == r.UtcSeconds() || utc.later == r.UtcSeconds())
        << "local " << r.local.seconds() << ", UTC " << r.UtcSeconds();
    const int64_t offset = r.local.seconds() - r.UtcSeconds();
    EXPECT_TRUE(offset == 3600 || offset == 7200) << offset;
  }
  // The tick of the running clock may be as coarse as 16 ms.
  EXPECT_GE(second.running_ms - first.running_ms, 30);
  EXPECT_GE(second.utc_ms, first.utc_ms);
}

TEST_F(Win32ClockBerlinTest, ReadingShowsWhatTheSystemsClockShows) {
  // GetLocalTime is the checker's Now: the reading's local time lies
  // between two of its readings, with the offset the system applies now.
  SYSTEMTIME before;
  SYSTEMTIME after;
  ::GetLocalTime(&before);
  const ClockReading reading = clock_->Read();
  ::GetLocalTime(&after);
  const auto whole = [](const SYSTEMTIME& st) {
    return DateTime::FromCivil(st.wYear, st.wMonth, st.wDay, st.wHour,
                               st.wMinute, st.wSecond);
  };
  EXPECT_LE(whole(before), reading.local);
  EXPECT_LE(reading.local, whole(after));
  TIME_ZONE_INFORMATION zone;
  const DWORD id = ::GetTimeZoneInformation(&zone);
  const LONG bias =
      zone.Bias + (id == TIME_ZONE_ID_DAYLIGHT   ? zone.DaylightBias
                   : id == TIME_ZONE_ID_STANDARD ? zone.StandardBias
                                                 : 0);
  EXPECT_EQ(reading.OffsetSeconds(), -bias * 60);
}

}  // namespace
}  // namespace zarn
