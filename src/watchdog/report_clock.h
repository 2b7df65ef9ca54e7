// Where the checker's reports lie on the running clock. A LiveStatusTime
// text names the local wall time at which the checker wrote it; the
// supervision counts silence in running time. The first text a daemon
// reads can only be placed by the wall clocks. Every text that changes
// after it was written after the daemon's previous read, which bounds its
// age whatever the wall clock did in between: a step, a daylight-saving
// change or a sleep of the machine.
#ifndef ZARN_WATCHDOG_REPORT_CLOCK_H_
#define ZARN_WATCHDOG_REPORT_CLOCK_H_

#include <cstdint>
#include <optional>

#include "common/date_time.h"
#include "platform/clock.h"

namespace zarn {

class ReportClock {
 public:
  // The zone's rules are checked against the system's clock at most once
  // in this many seconds of UTC, and again when the system's offset
  // changes. Every change of a UTC offset falls on a quarter hour of UTC,
  // as every offset is a whole number of quarter hours.
  static constexpr int64_t kRulesCheckSeconds = 900;

  explicit ReportClock(Clock& clock) : clock_(clock) {}
  ReportClock(const ReportClock&) = delete;
  ReportClock& operator=(const ReportClock&) = delete;

  // `local` on the UTC scale as the system's clock showed it: by the
  // zone's rules for its date while they give the current UTC for the
  // current local time of `now`, else by the offset the system applies
  // now. They differ where the system applies no daylight saving time
  // although the rules have it ("Adjust for daylight saving time
  // automatically" turned off), or the zone was changed under us.
  UtcReadings ToUtc(DateTime local, const ClockReading& now);

  // A change of the wall clock against the running clock by less than
  // this between two readings is the jitter of reading the two one after
  // the other (the running clock ticks in up to 16 ms), not a step.
  static constexpr int64_t kStepMs = 1000;

  // The running time at which a report of the local time `written` was
  // 0 seconds old, counted from the start of its second, when it is the
  // first text the daemon reads: by the wall clocks alone. A time that the
  // autumn change showed twice is taken at the showing that is not in the
  // future, the later where both are not. `start` is the daemon's reading
  // of the clocks before its window appeared, where there is one: when the
  // wall clock was stepped between it and `now`, the text was written
  // before the step or after it, and the youngest of the two readings that
  // is not in the future counts.
  int64_t FirstReport(DateTime written,
                      const std::optional<ClockReading>& start,
                      const ClockReading& now);
  // The same for a text that changed since the daemon's previous reading
  // of the clocks, `previous`: at least 0 and at most the running time
  // since `previous` plus the second that the text drops.
  int64_t NewReport(DateTime written, const ClockReading& previous,
                    const ClockReading& now);

 private:
  // Whether the zone's rules give the current UTC for the current local
  // time.
  bool RulesShowNow(const ClockReading& now);

  Clock& clock_;
  // The quarter hour of UTC and the system's offset of the last check.
  std::optional<int64_t> checked_quarter_;
  int64_t checked_offset_ = 0;
  bool rules_show_now_ = true;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_REPORT_CLOCK_H_
