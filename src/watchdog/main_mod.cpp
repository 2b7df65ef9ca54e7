#include "watchdog/main_mod.h"

#include "config/cfg_reader.h"
#include "paths/helpers.h"
#include "paths/unc.h"
#include "process/excel_cleanup.h"
#include "process/hang_dump.h"
#include "watchdog/checker_launch.h"
#include "watchdog/daemon_log.h"
#include "watchdog/daemon_values.h"
#include "watchdog/event_source_setup.h"
#include "watchdog/restart_limit.h"
#include "watchdog/start_up.h"
#include "watchdog/supervision.h"

namespace zarn {

int Main(Platform& platform) {
  // "/eventlog install" or "uninstall": an administrator's errand, run
  // instead of the daemon, before anything of the daemon's own.
  if (const std::optional<int> exit_code = RunEventLogCommand(platform)) {
    return *exit_code;
  }

  DaemonValues values;
  Unc unc(platform.network_drives);
  Helpers helpers(platform.file_system, platform.http, unc);
  // One reader serves the whole start-up and lives to the end.
  CfgReader reader(helpers, platform.file_system, platform.code_pages);

  // The features that own keys of [ZARN]: start-up has them read their
  // keys, the supervision consults them.
  RestartLimit restarts(platform.settings, platform.status_view);
  HangDump dumps(platform.dumps, helpers, platform.clock);
  EventReport events(platform.event_log);

  StartUp start_up(platform, helpers, reader, values, restarts, dumps, events);
  if (start_up.Run() != StartUpResult::kSupervise) return 0;

  DaemonLog log(helpers, platform.file_appender, platform.clock,
                platform.regional, platform.code_pages);
  log.set_path(values.daemon_log_path);
  ExcelCleanUp cleanup(platform.settings, platform.processes, platform.windows,
                       platform.user_name, platform.wmi, platform.regional);
  CheckerLaunch launch(platform.settings, platform.shell, log);
  Supervision supervision(platform, values, cleanup, log, launch, restarts,
                          dumps, events);
  supervision.Run();
  return 0;
}

}  // namespace zarn
