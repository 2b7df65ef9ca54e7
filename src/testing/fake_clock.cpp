#include "testing/fake_clock.h"

#include <cstdio>
#include <cstdlib>

namespace zarn {

void FakeClock::Sleep(uint32_t milliseconds) {
  sleeps_.push_back(milliseconds);
  if (sleeps_.size() > sleep_limit_) {
    std::fprintf(stderr, "FakeClock: more than %zu sleeps, loop runs away\n",
                 sleep_limit_);
    std::abort();
  }
  elapsed_ms_ += milliseconds;
  if (on_sleep_) on_sleep_();
}

}  // namespace zarn
