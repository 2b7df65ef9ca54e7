#include "watchdog/report_clock.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace zarn {
namespace {

// The running time at which the wall clock of `now` showed the start of
// the report's second. Of the report's two readings, the later is taken
// if it is not in the future, else the earlier.
int64_t AnchorByWallClock(const UtcReadings& utc, const ClockReading& now) {
  const int64_t second =
      utc.later <= now.UtcSeconds() ? utc.later : utc.earlier;
  return now.RunningAtUtc(second);
}

// The latest running time, from `earliest` to `latest`, at which the report
// may have been written. The clocks read at `now` give its time if it was
// written after a step of the wall clock, the clocks read at `other` if
// before. nullopt when none of these times lies within the bounds.
std::optional<int64_t> LatestAnchorWithin(const UtcReadings& utc,
                                          const ClockReading& now,
                                          const ClockReading& other,
                                          int64_t earliest, int64_t latest) {
  std::optional<int64_t> anchor;
  for (const ClockReading* clocks : {&now, &other}) {
    for (const int64_t second : {utc.earlier, utc.later}) {
      const int64_t at = clocks->RunningAtUtc(second);
      if (at >= earliest && at <= latest && (!anchor || at > *anchor)) {
        anchor = at;
      }
    }
  }
  return anchor;
}

// How far the wall clock is ahead of the running clock. It changes only
// when the wall clock is stepped or the machine sleeps.
int64_t WallLead(const ClockReading& clocks) {
  return clocks.utc_ms - clocks.running_ms;
}

}  // namespace

bool ReportClock::RulesMatchSystemClock(const ClockReading& now) {
  const int64_t now_s = now.UtcSeconds();
  const int64_t quarter = FloorDiv(now_s, kRulesCheckSeconds);
  const int64_t offset = now.OffsetSeconds();
  if (checked_quarter_ != quarter || checked_offset_ != offset) {
    const UtcReadings current = clock_.LocalToUtc(now.local);
    rules_match_ = current.earlier == now_s || current.later == now_s;
    checked_quarter_ = quarter;
    checked_offset_ = offset;
  }
  return rules_match_;
}

UtcReadings ReportClock::UtcReadingsOf(DateTime local,
                                       const ClockReading& now) {
  if (RulesMatchSystemClock(now)) return clock_.LocalToUtc(local);
  // Where the rules have two offsets, the system applies one. The checker
  // reads the system's clock, so its report shows the offset of now.
  const int64_t utc = local.seconds() - now.OffsetSeconds();
  return UtcReadings{utc, utc};
}

int64_t ReportClock::RunningAnchorOfFirstReport(
    DateTime written, const std::optional<ClockReading>& start,
    const ClockReading& now) {
  const UtcReadings utc = UtcReadingsOf(written, now);
  // From the start of the wall clock's second: with a steady clock, the
  // age in whole seconds is then now - written, as the clock shows them.
  const int64_t by_wall_clock = AnchorByWallClock(utc, now);
  if (!start || std::abs(WallLead(*start) - WallLead(now)) < kStepMs) {
    return by_wall_clock;
  }
  // The wall clock was stepped while the daemon started. The clocks at the
  // start give the time of a report written before the step, the clocks
  // now that of one written after it. The later time never brings a
  // restart too early.
  return LatestAnchorWithin(utc, now, *start,
                            std::numeric_limits<int64_t>::min(), now.running_ms)
      .value_or(by_wall_clock);
}

int64_t ReportClock::RunningAnchorOfChangedReport(DateTime written,
                                                  const ClockReading& previous,
                                                  const ClockReading& now) {
  // The report was written after the previous read. Its text drops the
  // fraction of its second, so that second began less than a second
  // before the previous read, and at the latest now.
  const int64_t earliest = previous.running_ms - 1000;
  const int64_t latest = now.running_ms;
  // Both clocks are read together once a cycle. A step of the wall clock,
  // or a sleep of the machine, between two reads moves the wall clock
  // against the running clock. If the report was written before that
  // move, the clocks at the previous read give its time; if after, the
  // clocks now. Without a move the two agree, up to a few milliseconds of
  // drift, and the age is as exact as at the first read.
  //
  // Of the times within the bounds, the latest counts. Each fits all the
  // daemon knows. They differ only when the step was shorter than the time
  // between two reads. The latest never brings a restart before the limit
  // has run out, and it is late by no more than that short step.
  const UtcReadings utc = UtcReadingsOf(written, now);
  if (const std::optional<int64_t> anchor =
          LatestAnchorWithin(utc, now, previous, earliest, latest)) {
    return *anchor;
  }
  // No time lies in the bounds: the checker's clock disagrees with ours,
  // or the wall clock moved twice between two reads. The time by the wall
  // clock is then moved into the bounds, by as little as it takes. It is
  // off, early or late, by less than the time between two reads plus a
  // second.
  return std::clamp(AnchorByWallClock(utc, now), earliest, latest);
}

}  // namespace zarn
