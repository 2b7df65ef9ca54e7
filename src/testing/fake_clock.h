// A clock that stands still until the code under test pauses: Sleep moves
// it on, so a whole supervision runs without a real second passing. The
// wall clock and the running clock move together, unless a test steps the
// wall clock alone or the machine sleeps; the local time follows a time
// zone with daylight-saving rules.
#ifndef ZARN_TESTING_FAKE_CLOCK_H_
#define ZARN_TESTING_FAKE_CLOCK_H_

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "testing/fake_time_zone.h"

namespace zarn {

class FakeClock final : public Clock {
 public:
  // Starts at the local time `start` as the zone's system clock shows it
  // (in the autumn's doubled hour, its first showing) with the machine
  // running for an hour already.
  explicit FakeClock(DateTime start = DateTime::FromCivil(2026, 12, 7, 9, 0, 0),
                     FakeTimeZone zone = FakeTimeZone::EuropeBerlin());

  ClockReading Read() override;
  UtcReadings LocalToUtc(DateTime local) override;
  void Sleep(uint32_t milliseconds) override;

  // The local wall time as a test sees it; not counted as a reading.
  DateTime Now() const;
  // Moves both clocks without a Sleep, as work inside a cycle would.
  void Advance(int64_t milliseconds);
  // Moves the wall clock alone: a manual setting or a time-sync step.
  void StepWall(int64_t milliseconds) { utc_ms_ += milliseconds; }
  // The machine sleeps or hibernates for `milliseconds`: the running clock
  // stands still, and at the resume the wall clock has moved on.
  void Suspend(int64_t milliseconds) { StepWall(milliseconds); }
  // The daemon's process is paused for `milliseconds` while the machine
  // runs on, as in modern standby or when it is stopped: both clocks move,
  // and the daemon runs nothing in between.
  void Pause(int64_t milliseconds) { Advance(milliseconds); }
  // Running time since the clock was made.
  int64_t elapsed_ms() const { return running_ms_ - kRunningAtStartMs; }
  int reads() const { return reads_; }
  int conversions() const { return conversions_; }
  const std::vector<uint32_t>& sleeps() const { return sleeps_; }
  // Runs after each Sleep has moved the clock: the place for a scripted
  // checker.
  void set_on_sleep(std::function<void()> hook) { on_sleep_ = std::move(hook); }
  // A real Sleep ends on a timer tick, later than asked, and a test may
  // have one end early: Sleep moves the clocks by the time asked for plus
  // what `drift` returns for it.
  void set_sleep_drift(std::function<int64_t(uint32_t)> drift) {
    drift_ = std::move(drift);
  }
  // Guards a test against a loop that never ends: after this many sleeps,
  // Sleep aborts the test program.
  void set_sleep_limit(size_t limit) { sleep_limit_ = limit; }

 private:
  static constexpr int64_t kRunningAtStartMs = 3600 * 1000;

  FakeTimeZone zone_;
  int64_t utc_ms_;
  int64_t running_ms_ = kRunningAtStartMs;
  int reads_ = 0;
  int conversions_ = 0;
  std::vector<uint32_t> sleeps_;
  std::function<void()> on_sleep_;
  std::function<int64_t(uint32_t)> drift_;
  size_t sleep_limit_ = 1000000;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_CLOCK_H_
