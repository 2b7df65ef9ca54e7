#include "testing/fake_clock.h"

#include <cstdio>
#include <cstdlib>

namespace zarn {
FakeClock::FakeClock(DateTime start, FakeTimeZone zone)
    : zone_(zone), utc_ms_(zone_.ShownToUtc(start).earlier * 1000) {}

ClockReading FakeClock::Read() {
  ++reads_;
  ClockReading reading;
  reading.local = Now();
  reading.utc_ms = utc_ms_;
  reading.running_ms = running_ms_;
  return reading;
}

UtcReadings FakeClock::LocalToUtc(DateTime local) {
  ++conversions_;
  return zone_.ToUtc(local);
}

DateTime FakeClock::Now() const {
  return zone_.ToLocal(FloorDiv(utc_ms_, 1000));
}

void FakeClock::Advance(int64_t milliseconds) {
  utc_ms_ += milliseconds;
  running_ms_ += milliseconds;
}

void FakeClock::Sleep(uint32_t milliseconds) {
  sleeps_.push_back(milliseconds);
  if (sleeps_.size() > sleep_limit_) {
    std::fprintf(stderr, "FakeClock: more than %zu sleeps, loop runs away\n",
                 sleep_limit_);
    std::abort();
  }
  Advance(milliseconds + (drift_ ? drift_(milliseconds) : 0));
  if (on_sleep_) on_sleep_();
}

}  // namespace zarn
