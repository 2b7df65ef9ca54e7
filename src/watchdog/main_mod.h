// MainMod: the daemon's whole life in one straight procedure, start-up
// followed by the supervision loop, on the seams that Platform bundles.
#ifndef ZARN_WATCHDOG_MAIN_MOD_H_
#define ZARN_WATCHDOG_MAIN_MOD_H_

#include "platform/platform.h"

namespace zarn {

// Runs the daemon until it ends: a second instance, no hand-over command,
// the user's cancel, "Finished", no report within the limit, or a restart
// of the checker. The window has been unloaded when it returns. Returns the
// process exit code, 0 on every one of these ends.
int Main(Platform& platform);

}  // namespace zarn

#endif  // ZARN_WATCHDOG_MAIN_MOD_H_
