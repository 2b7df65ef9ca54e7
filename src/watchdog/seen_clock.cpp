#include "watchdog/seen_clock.h"

#include <algorithm>

namespace zarn {

SeenClock::SeenClock(const std::optional<ClockReading>& previous) {
  if (previous) last_running_ms_ = previous->running_ms;
}

ClockReading SeenClock::Seen(const ClockReading& now, int64_t cycle_ms) {
  if (last_running_ms_) {
    const int64_t gap = now.running_ms - *last_running_ms_;
    if (gap > kPauseGapMs || suspending_) {
      unseen_ms_ += std::max<int64_t>(gap - cycle_ms, 0);
    }
  }
  last_running_ms_ = now.running_ms;
  ClockReading seen = now;
  seen.running_ms -= unseen_ms_;
  return seen;
}

void SeenClock::Note(const PowerNotices& notices) {
  if (notices.suspending) {
    suspending_ = true;
  } else if (notices.resumed) {
    suspending_ = false;
  }
}

}  // namespace zarn
