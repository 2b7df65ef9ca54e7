#include "watchdog/report_clock.h"

#include <algorithm>
#include <cstdlib>

namespace zarn {
namespace {

// Of the readings of a local time, the one that is not in the future at
// `now_s`, the later where both are not.
int64_t NotInTheFuture(const UtcReadings& utc, int64_t now_s) {
  return utc.later <= now_s ? utc.later : utc.earlier;
}

// How far the wall clock is ahead of the running clock: it changes only
// when the wall clock is stepped or the machine sleeps.
int64_t WallLead(const ClockReading& clocks) {
  return clocks.utc_ms - clocks.running_ms;
}

}  // namespace

bool ReportClock::RulesShowNow(const ClockReading& now) {
  const int64_t now_s = now.UtcSeconds();
  const int64_t quarter = FloorDiv(now_s, kRulesCheckSeconds);
  const int64_t offset = now.OffsetSeconds();
  if (checked_quarter_ != quarter || checked_offset_ != offset) {
    const UtcReadings current = clock_.LocalToUtc(now.local);
    rules_show_now_ = current.earlier == now_s || current.later == now_s;
    checked_quarter_ = quarter;
    checked_offset_ = offset;
  }
  return rules_show_now_;
}

UtcReadings ReportClock::ToUtc(DateTime local, const ClockReading& now) {
  if (RulesShowNow(now)) return clock_.LocalToUtc(local);
  // The system applies one offset where the rules have two: the checker's
  // clock, the system's, showed the report at the offset of now.
  const int64_t utc = local.seconds() - now.OffsetSeconds();
  return UtcReadings{utc, utc};
}

int64_t ReportClock::FirstReport(DateTime written,
                                 const std::optional<ClockReading>& start,
                                 const ClockReading& now) {
  const UtcReadings utc = ToUtc(written, now);
  // Counted from the start of the wall clock's second, so that with a
  // steady clock the age in whole seconds is now - written, as the clock
  // shows them.
  const int64_t by_now =
      now.RunningAtUtc(NotInTheFuture(utc, now.UtcSeconds()));
  if (!start || std::abs(WallLead(*start) - WallLead(now)) < kStepMs) {
    return by_now;
  }
  // The wall clock was stepped while the daemon started. A text written
  // before the step is placed by the clocks at the start, one written
  // after it by the clocks now; the younger never restarts early.
  std::optional<int64_t> youngest;
  for (const ClockReading* clocks : {&now, &*start}) {
    for (const int64_t second : {utc.earlier, utc.later}) {
      const int64_t at = clocks->RunningAtUtc(second);
      if (at <= now.running_ms && (!youngest || at > *youngest)) {
        youngest = at;
      }
    }
  }
  return youngest.value_or(by_now);
}

int64_t ReportClock::NewReport(DateTime written, const ClockReading& previous,
                               const ClockReading& now) {
  // The text was written after the previous read, and it drops the
  // fraction of its second: that second began less than a second before
  // the previous read, and at the latest now.
  const int64_t earliest = previous.running_ms - 1000;
  const int64_t latest = now.running_ms;
  // Both clocks are read together once a cycle, so a step of the wall
  // clock or a sleep of the machine between two reads shows as a change
  // of the wall clock against the running clock. The report was written
  // before it, by the relation of the two clocks at the previous read, or
  // after it, by the relation now. Without a step the two agree, up to
  // the clocks' drift of milliseconds, and the age is the wall clocks',
  // as exact as at the first read.
  //
  // Of the readings that fall within the bounds, the youngest counts.
  // Each agrees with all the daemon knows; they differ only when the step
  // was shorter than the time between two reads. The youngest never has
  // the restart come before the limit has run out, and is late by no more
  // than that short step.
  const UtcReadings utc = ToUtc(written, now);
  std::optional<int64_t> youngest;
  for (const ClockReading* clocks : {&now, &previous}) {
    for (const int64_t second : {utc.earlier, utc.later}) {
      const int64_t at = clocks->RunningAtUtc(second);
      if (at >= earliest && at <= latest && (!youngest || at > *youngest)) {
        youngest = at;
      }
    }
  }
  if (youngest) return *youngest;
  // No reading fits: the checker's clock disagrees with ours, or the wall
  // clock moved twice between two reads. The wall clocks' age is moved
  // into the bounds by as little as it takes; it is then off by less than
  // the time between two reads and a second, early or late.
  const int64_t by_now =
      now.RunningAtUtc(NotInTheFuture(utc, now.UtcSeconds()));
  return std::clamp(by_now, earliest, latest);
}

}  // namespace zarn
