// The clocks of the machine and the pause of the supervision loop: the wall
// clock, which the user, a time sync, a resume from sleep and the
// daylight-saving rules may move, and the running clock, which only ever
// moves on while the machine runs.
#ifndef ZARN_PLATFORM_CLOCK_H_
#define ZARN_PLATFORM_CLOCK_H_

#include <algorithm>
#include <cstdint>

#include "common/date_time.h"

namespace zarn {

// One reading of both clocks, taken together.
struct ClockReading {
  // The local wall time, truncated to the whole second, as the system's
  // own clock shows it (GetLocalTime, VB's Now): what the log line and the
  // checker's own reports show.
  DateTime local;
  // The wall clock in UTC: milliseconds since 30 December 1899, 00:00:00
  // UTC. Its sub-second part is the local time's too.
  int64_t utc_ms = 0;
  // Milliseconds the machine has run, sleep and hibernation not counted.
  // Only differences of two readings mean anything.
  int64_t running_ms = 0;

  // The wall clock's whole UTC second.
  int64_t UtcSeconds() const { return FloorDiv(utc_ms, 1000); }
  // The running time at which the wall clock stood at the start of its
  // current second: counting whole seconds of running time from there
  // gives what a steady wall clock would show in whole seconds.
  int64_t RunningAtSecondStart() const {
    return running_ms - (utc_ms - UtcSeconds() * 1000);
  }
  // The running time at which the wall clock showed the start of the UTC
  // second `utc_second`, had it run steadily up to this reading.
  int64_t RunningAtUtc(int64_t utc_second) const {
    return running_ms - (utc_ms - utc_second * 1000);
  }
  // Seconds east of UTC that the system's clock applies now.
  int64_t OffsetSeconds() const { return local.seconds() - UtcSeconds(); }
};

// A local civil time on the UTC scale, in whole seconds since 30 December
// 1899, 00:00:00 UTC. In the hour that the autumn change doubles, the same
// local time was shown twice: `earlier` is the daylight-saving reading,
// `later` the standard one, an hour later. A local time that the spring
// change skips was never shown; it gets both offsets alike, `earlier` by
// the one after the change and `later` by the one before it. Otherwise
// the two are equal.
struct UtcReadings {
  int64_t earlier = 0;
  int64_t later = 0;

  // From the readings by the zone's standard and daylight offsets, and
  // whether the zone's clock shows the local time at each of them.
  static UtcReadings Of(int64_t by_standard, bool standard_shown,
                        int64_t by_daylight, bool daylight_shown) {
    if (standard_shown != daylight_shown) {
      const int64_t only = standard_shown ? by_standard : by_daylight;
      return UtcReadings{only, only};
    }
    return UtcReadings{std::min(by_standard, by_daylight),
                       std::max(by_standard, by_daylight)};
  }

  bool operator==(const UtcReadings&) const = default;
};

class Clock {
 public:
  Clock() = default;
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;
  virtual ~Clock() = default;

  // Both clocks now. A supervision cycle reads them once.
  virtual ClockReading Read() = 0;
  // `local` as UTC by the local time zone's rules for that date, whatever
  // the rules of today, with the user's daylight-saving setting honoured
  // where the system tells it.
  virtual UtcReadings LocalToUtc(DateTime local) = 0;
  // Blocks the thread for `milliseconds` without processing window events.
  virtual void Sleep(uint32_t milliseconds) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_CLOCK_H_
