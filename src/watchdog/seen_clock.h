// The time the daemon saw run, in which the supervision counts silence.
// A cycle runs about once a second. A gap between two cycles far beyond
// that is time in which the daemon could not run: its process was paused,
// as the Desktop Activity Moderator pauses desktop programs in modern
// standby, or stopped, or starved. The running clock may count such time,
// but the checker, paused alike, could not report in it either. So such a
// gap counts as one cycle. A machine that is only slow has short gaps,
// which count whole: its hung checker is restarted late by at most the
// gaps left out.
#ifndef ZARN_WATCHDOG_SEEN_CLOCK_H_
#define ZARN_WATCHDOG_SEEN_CLOCK_H_

#include <cstdint>
#include <optional>

#include "platform/clock.h"
#include "platform/status_view.h"

namespace zarn {

class SeenClock {
 public:
  // A gap between two readings beyond this is a pause. A running daemon's
  // gap is its pause of at most a second plus the cycle's work, which is
  // a few reads and captions, tens of milliseconds when WMI and dbghelp
  // are loaded ahead of a restart. Five cycles leave room for a loaded
  // machine, and a pause that is counted whole ages a report by no more
  // than a sixth of the 30 seconds before the countdown shows.
  static constexpr int64_t kPauseGapMs = 5000;

  // `previous`: the clocks read just before the first cycle, if any; a
  // gap from there to the first cycle's reading is one like any other.
  explicit SeenClock(const std::optional<ClockReading>& previous);
  SeenClock(const SeenClock&) = delete;
  SeenClock& operator=(const SeenClock&) = delete;

  // `now` in seen time: its running time less all the time left out since
  // the first reading. A gap since the previous reading counts as
  // `cycle_ms`, the pause asked for after it, when it is longer than
  // kPauseGapMs or falls between an announced suspend and the resume.
  ClockReading Seen(const ClockReading& now, int64_t cycle_ms);

  // The notices the window heard since the last call, taken before the
  // next reading. Between a suspend and the resume every gap counts as
  // one cycle at most: the Desktop Activity Moderator may throttle
  // desktop programs rather than pause them, with gaps of any length.
  void Note(const PowerNotices& notices);

  // The time left out so far.
  int64_t unseen_ms() const { return unseen_ms_; }

 private:
  std::optional<int64_t> last_running_ms_;
  int64_t unseen_ms_ = 0;
  bool suspending_ = false;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_SEEN_CLOCK_H_
