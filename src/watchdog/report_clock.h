// Places the checker's reports on the running clock. A report is a
// LiveStatusTime text: the local wall time at which the checker wrote it.
// The supervision counts silence in running time, which no change of the
// wall clock moves. The first report the daemon reads can be placed only
// by the wall clock. A report that changes later was written after the
// daemon's previous read, and that limits its age whatever the wall clock
// did in between: a step, a daylight-saving change or a sleep. The
// supervision's readings give seen time as their running time (SeenClock),
// in which a pause of the daemon looks as a sleep does.
#ifndef ZARN_WATCHDOG_REPORT_CLOCK_H_
#define ZARN_WATCHDOG_REPORT_CLOCK_H_

#include <cstdint>
#include <optional>

#include "common/date_time.h"
#include "platform/clock.h"

namespace zarn {

class ReportClock {
 public:
  // The zone's rules are compared with the system's clock at most once in
  // this many seconds of UTC, and again whenever the system's offset
  // changes. An offset changes only on a quarter hour of UTC, because
  // every offset is a whole number of quarter hours.
  static constexpr int64_t kRulesCheckSeconds = 900;

  explicit ReportClock(Clock& clock) : clock_(clock) {}
  ReportClock(const ReportClock&) = delete;
  ReportClock& operator=(const ReportClock&) = delete;

  // The UTC readings of the local time `local`, as the system's clock
  // showed it. Normally the zone's rules for that date give them. But the
  // system may not follow the rules: "Adjust for daylight saving time
  // automatically" may be turned off, or the zone may have been changed
  // under us. Then the offset that the system applies now gives them.
  // The system counts as following the rules while they turn the local
  // time of `now` into the UTC of `now`.
  UtcReadings UtcReadingsOf(DateTime local, const ClockReading& now);

  // The two clocks are read one after the other, and the running clock
  // moves in ticks of up to 16 ms. So a change of the wall clock against
  // the running clock by less than this between two readings is noise,
  // not a step.
  static constexpr int64_t kStepMs = 1000;

  // The running time at which the first report the daemon reads was
  // written, from the start of the report's second. Only the wall clock
  // can place it.
  // - The autumn change shows the times of one hour twice, so a report
  //   from that hour may mean either of two times. The later one is taken
  //   if it is not in the future, else the earlier one.
  // - `start` is the daemon's first reading of the clocks, as it starts,
  //   if there is one. If the wall clock was stepped between `start` and
  //   `now`, the report was written before the step or after it. The
  //   clocks read at `start` give its running time if it was written
  //   before, the clocks read at `now` if after. The latest of these
  //   times that is not in the future is taken.
  int64_t RunningAnchorOfFirstReport(DateTime written,
                                     const std::optional<ClockReading>& start,
                                     const ClockReading& now);
  // The running time at which a report that changed since the daemon's
  // previous reading of the clocks, `previous`, was written, from the
  // start of the report's second. Its age at `now` is at least 0. It is at
  // most the running time since `previous` plus one second, because the
  // text drops the fraction of its second.
  int64_t RunningAnchorOfChangedReport(DateTime written,
                                       const ClockReading& previous,
                                       const ClockReading& now);

 private:
  // Whether the zone's rules turn the local time of `now` into the UTC of
  // `now`. Compared again only in a new quarter hour of UTC or after the
  // system's offset changed.
  bool RulesMatchSystemClock(const ClockReading& now);

  Clock& clock_;
  // The quarter hour of UTC and the system's offset at the last comparison.
  std::optional<int64_t> checked_quarter_;
  int64_t checked_offset_ = 0;
  bool rules_match_ = true;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_REPORT_CLOCK_H_
