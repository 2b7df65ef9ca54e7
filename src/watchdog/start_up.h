// The first half of Main: limits, program folder, log path, configuration
// file, temporary folders, the single-instance test, the status window and
// the take-over of the hand-over command.
#ifndef ZARN_WATCHDOG_START_UP_H_
#define ZARN_WATCHDOG_START_UP_H_

#include <optional>
#include <string>
#include <string_view>

#include "common/time_limit.h"
#include "config/cfg_reader.h"
#include "paths/helpers.h"
#include "platform/platform.h"
#include "watchdog/daemon_values.h"

namespace zarn {

// The executable name that the single-instance test counts.
inline constexpr std::u16string_view kDaemonExeName = u"ZARNDaemon.exe";

enum class StartUpResult {
  kSupervise,        // the window is shown and DAEMONCOMMAND cleared
  kSecondInstance,   // another daemon runs; nothing shown or written
  kNoDaemonCommand,  // DAEMONCOMMAND was empty; nothing written
};

class StartUp {
 public:
  StartUp(Platform& platform, Helpers& helpers, CfgReader& reader,
          DaemonValues& values)
      : platform_(platform),
        helpers_(helpers),
        reader_(reader),
        values_(values) {}
  StartUp(const StartUp&) = delete;
  StartUp& operator=(const StartUp&) = delete;

  // All of start-up, in its fixed order; the configuration is read before
  // the single-instance test, so a second daemon still reports a malformed
  // limit. On kSupervise the pending window events have been processed once.
  StartUpResult Run();

 private:
  // Probes the six candidates, reads the first that exists in the order of
  // choice, its limits and its temporary folders.
  void ReadConfiguration();
  TimeLimit ReadLimit(std::u16string_view key, std::u16string_view fallback);
  // RESTARTMAX and RESTARTTIME; a limit only when both are there and well
  // formed. Anything else but two missing keys is reported.
  std::optional<RestartLimit> ReadRestartLimit();
  // The restarts within the span as DaemonRestarts gives them, into the
  // window and `values_`.
  void ShowRestarts(const ClockReading& shown);
  void ReportConfiguration(std::u16string_view message);
  // DUMPPFAD and DUMPMAX of the selected section [ZARN]; a malformed
  // DUMPMAX is reported like a malformed limit.
  void ReadDumpSettings();
  // The three steps that make a TEMPPFAD folder of the selected section
  // exist; `default_folder` stands in for an empty TEMPPFAD.
  std::u16string ResolveTempFolder(std::u16string_view default_folder);

  Platform& platform_;
  Helpers& helpers_;
  CfgReader& reader_;
  DaemonValues& values_;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_START_UP_H_
