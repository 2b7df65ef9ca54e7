// The second half of Main: once a second, compare the age of the checker's
// last report with the limit that fits its activity, show it, and restart
// the checker when it has been silent too long or the user asks for it.
#ifndef ZARN_WATCHDOG_SUPERVISION_H_
#define ZARN_WATCHDOG_SUPERVISION_H_

#include <cstdint>
#include <optional>
#include <string>

#include "common/date_time.h"
#include "platform/platform.h"
#include "process/excel_cleanup.h"
#include "watchdog/checker_launch.h"
#include "watchdog/daemon_log.h"
#include "watchdog/daemon_values.h"

namespace zarn {

enum class SupervisionEnd {
  kCancelled,  // cmdAbbruch or the frame's close
  kFinished,   // LiveStatus = "Finished"
  kNoReport,   // no report within the limit from SupervisionStart
  kRestarted,  // the checker was restarted
};

class Supervision {
 public:
  static constexpr uint32_t kCyclePauseMs = 1000;
  // A report older than this turns the status line into the countdown.
  static constexpr int64_t kCountdownSeconds = 30;

  Supervision(Platform& platform, DaemonValues& values, ExcelCleanUp& cleanup,
              DaemonLog& log, CheckerLaunch& launch);
  Supervision(const Supervision&) = delete;
  Supervision& operator=(const Supervision&) = delete;

  // Cycles with a pause of one second until the daemon ends; every end has
  // unloaded the window. At most five settings reads per cycle until the
  // restart begins.
  SupervisionEnd Run();
  // One cycle without its pause; nullopt while the supervision goes on.
  std::optional<SupervisionEnd> RunCycle();

 private:
  std::optional<SupervisionEnd> ReportedCycle(DateTime last);
  std::optional<SupervisionEnd> NeverReportedCycle();
  void Restart();
  const TimeLimit& Limit();
  // A span as the window shows it; a span already run out shows as zero.
  std::u16string Remaining(int64_t seconds);

  Platform& platform_;
  DaemonValues& values_;
  ExcelCleanUp& cleanup_;
  DaemonLog& log_;
  CheckerLaunch& launch_;
  // What a missing LiveStatusTime reads as: the marker's regional text.
  const std::u16string never_reported_text_;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_SUPERVISION_H_
