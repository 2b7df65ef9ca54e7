#include "watchdog/daemon_values.h"

namespace zarn {

const TimeLimit& CurrentLimit(SettingsStore& settings,
                              const DaemonValues& values) {
  const std::u16string func =
      settings.ReadSetting(settings::kLiveStatusFunc, u"");
  if (func == kFuncSpecialCells) return values.special_cells_time;
  if (func == kFuncWorkbooksOpen) return values.load_time;
  return values.cancel_time;
}

}  // namespace zarn
