// The local clock and the pause of the supervision loop.
#ifndef ZARN_PLATFORM_CLOCK_H_
#define ZARN_PLATFORM_CLOCK_H_

#include <cstdint>

#include "common/date_time.h"

namespace zarn {

class Clock {
 public:
  Clock() = default;
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;
  virtual ~Clock() = default;

  // The current local date and time, to the whole second (truncated).
  virtual DateTime Now() = 0;
  // Blocks the thread for `milliseconds` without processing window events.
  virtual void Sleep(uint32_t milliseconds) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_CLOCK_H_
