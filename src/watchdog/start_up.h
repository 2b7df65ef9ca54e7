// The first half of Main: limits, program folder, log path, configuration
// file, temporary folders, the single-instance test, the status window and
// the take-over of the hand-over command. The restart limit and the dumps
// read their own keys and show their own state when asked to.
#ifndef ZARN_WATCHDOG_START_UP_H_
#define ZARN_WATCHDOG_START_UP_H_

#include <string>
#include <string_view>
#include <vector>

#include "common/time_limit.h"
#include "config/cfg_reader.h"
#include "paths/helpers.h"
#include "platform/platform.h"
#include "process/hang_dump.h"
#include "watchdog/daemon_values.h"
#include "watchdog/event_report.h"
#include "watchdog/restart_limit.h"

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
          DaemonValues& values, RestartLimit& restarts, HangDump& dumps,
          EventReport& events)
      : platform_(platform),
        helpers_(helpers),
        reader_(reader),
        values_(values),
        restarts_(restarts),
        dumps_(dumps),
        events_(events) {}
  StartUp(const StartUp&) = delete;
  StartUp& operator=(const StartUp&) = delete;

  // All of start-up, in its fixed order; the configuration is read before
  // the single-instance test, so a second daemon still reports a malformed
  // limit. On kSupervise the pending window events have been processed once.
  StartUpResult Run();

 private:
  // The program folder, from the executable's path, and the log's path.
  void NoteFolderAndLogPath();
  // Probes the six candidates, reads the first that exists in the order of
  // choice, its keys of [ZARN] and its temporary folders.
  void ReadConfiguration();
  // True when the first pass finds any candidate, which is then read.
  bool ChooseConfigurationFile();
  // The keys of [ZARN]: the three limits, then the features' own.
  void ReadZarnSection();
  TimeLimit ReadLimit(std::u16string_view key, std::u16string_view fallback);
  void ReportConfiguration(const std::vector<std::u16string>& messages);
  void ReportConfiguration(std::u16string_view message);
  // Fills the window, shows it and notes when; gives the clocks just after
  // it appeared.
  ClockReading ShowWindow();
  // Keeps DAEMONCOMMAND and clears it; false, with nothing written, when
  // it was empty.
  bool TakeDaemonCommand();
  // The three steps that make a TEMPPFAD folder of the selected section
  // exist; `default_folder` stands in for an empty TEMPPFAD.
  std::u16string ResolveTempFolder(std::u16string_view default_folder);

  Platform& platform_;
  Helpers& helpers_;
  CfgReader& reader_;
  DaemonValues& values_;
  RestartLimit& restarts_;
  HangDump& dumps_;
  EventReport& events_;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_START_UP_H_
