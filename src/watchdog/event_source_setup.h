// "ZARNDaemon.exe /eventlog install" and "/eventlog uninstall": an
// administrator's errand, run instead of the daemon. Install registers the
// daemon's event source in the Application log, so that Event Viewer finds
// the words of its events in the exe; uninstall takes the registration
// away again. Neither supervises anything, and neither leaves a
// registration half-written.
#ifndef ZARN_WATCHDOG_EVENT_SOURCE_SETUP_H_
#define ZARN_WATCHDOG_EVENT_SOURCE_SETUP_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/machine_registry.h"
#include "platform/platform.h"

namespace zarn {

enum class EventLogCommand { kInstall, kUninstall, kUnknown };

// The command the arguments name, blanks around the words and letter case
// ignored: "/eventlog install", "/eventlog uninstall", or kUnknown for
// "/eventlog" with anything else. nullopt when the first word is not
// "/eventlog": the daemon runs as ever.
std::optional<EventLogCommand> ParseEventLogCommand(
    std::u16string_view arguments);

struct RegistrationResult {
  // 0, or the Windows error of the change that failed.
  uint32_t error = 0;
  // False when a failed change could not be undone in full: then some of
  // the registration's values are left as the failure found them.
  bool restored = true;
};

// Writes the registration below kEventSourceKeyPath: EventMessageFile and
// CategoryMessageFile (both `exe_path`, the running exe with its message
// table), CategoryCount and TypesSupported (information, warning, error),
// making the key where it is missing. On a failure puts back what it had
// changed, the key included.
RegistrationResult InstallEventSource(MachineRegistry& registry,
                                      std::u16string_view exe_path);
// Deletes those four values, and then the key when nothing else is left
// in it; values and subkeys of others stay. On a failure puts back what
// it had deleted.
RegistrationResult UninstallEventSource(MachineRegistry& registry);

// Runs the /eventlog command of `platform.command_line` and says in a
// message box what came of it. Returns the exit code: 0 done, 1 refused
// or failed, 2 an unknown /eventlog command; nullopt when the command line
// is no /eventlog command, and nothing was done.
std::optional<int> RunEventLogCommand(Platform& platform);

}  // namespace zarn

#endif  // ZARN_WATCHDOG_EVENT_SOURCE_SETUP_H_
