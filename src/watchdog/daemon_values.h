// The process-wide values of one daemon run: set once by start-up, read by
// the supervision loop; only the two button flags change later.
#ifndef ZARN_WATCHDOG_DAEMON_VALUES_H_
#define ZARN_WATCHDOG_DAEMON_VALUES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/date_time.h"
#include "common/time_limit.h"
#include "platform/clock.h"
#include "platform/settings_store.h"
#include "platform/status_view.h"

namespace zarn {

// What LiveStatusFunc says while the checker is busy with a step that has a
// limit of its own.
inline constexpr std::u16string_view kFuncSpecialCells = u"SpecialCells";
inline constexpr std::u16string_view kFuncWorkbooksOpen = u"WorkbooksOpen";

struct DaemonValues {
  // The three limits, with the values they have before any configuration
  // file is read.
  TimeLimit cancel_time = TimeLimit::FromText(u"00:05:00");  // CANCELTIME
  TimeLimit load_time = TimeLimit::FromText(u"00:05:00");    // LOADTIME
  TimeLimit special_cells_time =
      TimeLimit::FromText(u"00:30:00");  // SPECIALCELLSTIME
  // The executable's folder with one backslash appended.
  std::u16string program_folder;
  std::u16string daemon_log_path;
  // Program folder plus the chosen candidate; empty without a file.
  std::u16string config_file_path;
  std::u16string scheduler_temp_folder;
  std::u16string global_temp_folder;
  ButtonFlags flags;           // CancelRequested, RestartRequested
  bool debug_start = false;    // DebugStart: the command line ends in "1"
  DateTime supervision_start;  // SupervisionStart: the window was shown
  // The running time (ClockReading::running_ms) at the start of that
  // second: the never-reported deadline counts running time from here.
  int64_t supervision_start_running_ms = 0;
  // Both clocks first thing at start-up; nullopt before.
  std::optional<ClockReading> start_clocks;
  // Both clocks just after the window was shown; the cycles' gaps are
  // measured from here (SeenClock). nullopt before.
  std::optional<ClockReading> shown_clocks;
  std::u16string daemon_command;  // DaemonCommand, taken from DAEMONCOMMAND
};

// CurrentLimit: the limit that fits what the checker is busy with now.
// Reads LiveStatusFunc afresh at every call; the match is exact, so
// "specialcells" selects CANCELTIME.
const TimeLimit& CurrentLimit(SettingsStore& settings,
                              const DaemonValues& values);

}  // namespace zarn

#endif  // ZARN_WATCHDOG_DAEMON_VALUES_H_
