// The build title that heads the daemon's message boxes, made from the
// project's version.
#ifndef ZARN_WATCHDOG_BUILD_TITLE_H_
#define ZARN_WATCHDOG_BUILD_TITLE_H_

#include <string>

namespace zarn {

// "ZARN Daemon (Build: 1-0-0)": major, minor and revision of the build.
std::u16string BuildTitle();

}  // namespace zarn

#endif  // ZARN_WATCHDOG_BUILD_TITLE_H_
