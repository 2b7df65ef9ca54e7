// A clock that stands still until the code under test pauses: Sleep moves
// it on, so a whole supervision runs without a real second passing.
#ifndef ZARN_TESTING_FAKE_CLOCK_H_
#define ZARN_TESTING_FAKE_CLOCK_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/clock.h"

namespace zarn {

class FakeClock final : public Clock {
 public:
  explicit FakeClock(DateTime start = DateTime::FromCivil(2026, 12, 7, 9, 0, 0))
      : start_(start) {}

  DateTime Now() override { return start_ + elapsed_ms_ / 1000; }
  void Sleep(uint32_t milliseconds) override;

  // Moves the clock without a Sleep, as work inside a cycle would.
  void Advance(int64_t milliseconds) { elapsed_ms_ += milliseconds; }
  void Set(DateTime now) { elapsed_ms_ = (now - start_) * 1000; }
  int64_t elapsed_ms() const { return elapsed_ms_; }
  const std::vector<uint32_t>& sleeps() const { return sleeps_; }
  // Runs after each Sleep has moved the clock: the place for a scripted
  // checker. Sleep stays recorded even when the hook throws nothing.
  void set_on_sleep(std::function<void()> hook) { on_sleep_ = std::move(hook); }
  // Guards a test against a loop that never ends: after this many sleeps,
  // Sleep aborts the test program.
  void set_sleep_limit(size_t limit) { sleep_limit_ = limit; }

 private:
  DateTime start_;
  int64_t elapsed_ms_ = 0;
  std::vector<uint32_t> sleeps_;
  std::function<void()> on_sleep_;
  size_t sleep_limit_ = 1000000;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_CLOCK_H_
