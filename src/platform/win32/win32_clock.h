// The wall clock, the running clock (sleep not counted), the local time
// zone's rules and Sleep.
#ifndef ZARN_PLATFORM_WIN32_WIN32_CLOCK_H_
#define ZARN_PLATFORM_WIN32_WIN32_CLOCK_H_

#include <memory>

#include "platform/clock.h"

namespace zarn {

std::unique_ptr<Clock> NewWin32Clock();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_CLOCK_H_
