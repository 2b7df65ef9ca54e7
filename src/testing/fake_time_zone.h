// A local time zone with daylight-saving rules in the form Windows keeps
// them (the n-th Sunday of a month at a local hour), so that tests can
// cross the spring and autumn changes of both hemispheres. Like Windows,
// and unlike Wine, it knows the user's setting "Adjust for daylight saving
// time automatically": turned off, the system's clock shows standard time
// all year, and the zone's per-year rules may or may not say so.
#ifndef ZARN_TESTING_FAKE_TIME_ZONE_H_
#define ZARN_TESTING_FAKE_TIME_ZONE_H_

#include <cstdint>
#include <optional>

#include "common/date_time.h"
#include "platform/clock.h"

namespace zarn {

// A change of the offset: the `week`-th Sunday of `month` (5: the last),
// at `hour` o'clock local time as the clock showed it before the change.
struct ZoneChange {
  int month = 0;
  int week = 0;
  int hour = 0;
};

class FakeTimeZone {
 public:
  // CET and CEST: +1 h, +2 h from the last Sunday of March, 02:00, to the
  // last Sunday of October, 03:00.
  static FakeTimeZone EuropeBerlin();
  // AEST and AEDT: +10 h, +11 h from the first Sunday of October, 02:00,
  // to the first Sunday of April, 03:00, across the turn of the year.
  static FakeTimeZone AustraliaSydney();
  static FakeTimeZone Utc();

  // This zone with "Adjust for daylight saving time automatically" turned
  // off (DynamicDaylightTimeDisabled). `rules_follow` says whether the
  // rules that ToUtc gives, as Clock::LocalToUtc does, know it; nothing
  // documents that GetTimeZoneInformationForYear's do.
  FakeTimeZone WithDaylightSavingOff(bool rules_follow) const;

  // Seconds east of UTC that the system's clock applies at the UTC second
  // `utc`.
  int64_t OffsetAt(int64_t utc) const;
  // The system's clock at the UTC second `utc`: what GetLocalTime shows.
  DateTime ToLocal(int64_t utc) const;
  // What Clock::LocalToUtc promises, by the zone's rules for the date.
  UtcReadings ToUtc(DateTime local) const;
  // `local` as the system's clock showed it, on the UTC scale.
  UtcReadings ShownToUtc(DateTime local) const;

 private:
  FakeTimeZone(int64_t standard_offset, int64_t daylight_offset,
               std::optional<ZoneChange> daylight_start,
               std::optional<ZoneChange> daylight_end)
      : standard_offset_(standard_offset),
        daylight_offset_(daylight_offset),
        daylight_start_(daylight_start),
        daylight_end_(daylight_end) {}
  // The UTC second of `change` in `year`, the clock showing `offset` before.
  static int64_t ChangeAt(int year, const ZoneChange& change, int64_t offset);
  // The offset at `utc` by the daylight-saving rules, or standard time
  // all year when `daylight_saving` is false.
  int64_t OffsetBy(bool daylight_saving, int64_t utc) const;
  UtcReadings ReadingsBy(bool daylight_saving, DateTime local) const;

  int64_t standard_offset_;
  int64_t daylight_offset_;
  std::optional<ZoneChange> daylight_start_;
  std::optional<ZoneChange> daylight_end_;
  bool daylight_saving_off_ = false;
  bool rules_follow_setting_ = false;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_TIME_ZONE_H_
