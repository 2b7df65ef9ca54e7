// The second half of Main: once a second, compare the age of the checker's
// last report with the limit that fits its activity, show it, and restart
// the checker when it has been silent too long or the user asks for it.
// Silence is counted in the time the daemon saw run (SeenClock): the
// running clock, less the gaps between cycles in which the daemon could
// not run. A step of the wall clock, a daylight-saving change, a sleep of
// the machine or a pause of the daemon's process neither ages a report
// nor makes it younger, also when it comes between the report and the
// daemon's next read. Each pause ends just after the next whole second of
// the silence, so the captions tick with it and the restart follows the
// limit's end within a few hundredths of a second.
#ifndef ZARN_WATCHDOG_SUPERVISION_H_
#define ZARN_WATCHDOG_SUPERVISION_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/date_time.h"
#include "platform/platform.h"
#include "process/excel_cleanup.h"
#include "process/hang_dump.h"
#include "watchdog/checker_launch.h"
#include "watchdog/daemon_log.h"
#include "watchdog/daemon_values.h"
#include "watchdog/event_report.h"
#include "watchdog/report_clock.h"
#include "watchdog/restart_limit.h"
#include "watchdog/seen_clock.h"

namespace zarn {

enum class SupervisionEnd {
  kCancelled,  // cmdAbbruch or the frame's close
  kFinished,   // LiveStatus = "Finished"
  kNoReport,   // no report within the limit from SupervisionStart
  kRestarted,  // the checker was restarted
  // Overdue at the restart limit: the hung Excel was cleared away, but the
  // checker was not started again and nothing was handed over.
  kRestartLimitReached,
};

class Supervision {
 public:
  // How long after a whole second of the silence its cycle runs. A
  // Windows Sleep ends on a timer tick, up to 15.6 ms after the time asked
  // for, and the running clock may lag the wall clock by as much; the
  // margin keeps a cycle from waking just before the second it waits for.
  static constexpr int64_t kWakeMarginMs = 20;
  // From this long before the deadline on, the clean-up is readied, in a
  // cycle whose lateness the next one still makes up.
  static constexpr int64_t kPrepareAheadMs = 2000;
  // A report older than this turns the status line into the countdown.
  static constexpr int64_t kCountdownSeconds = 30;

  // `restarts` and `dumps` as start-up has read them: each cycle updates
  // the window's count, and a restart asks the limit and, before the
  // clean-up, writes the dumps.
  Supervision(Platform& platform, DaemonValues& values, ExcelCleanUp& cleanup,
              DaemonLog& log, CheckerLaunch& launch, RestartLimit& restarts,
              HangDump& dumps, EventReport& events);
  Supervision(const Supervision&) = delete;
  Supervision& operator=(const Supervision&) = delete;

  // Cycles until the daemon ends, pausing NextPauseMs() after each; every
  // end has unloaded the window. At most five settings reads per cycle
  // until the restart begins.
  SupervisionEnd Run();
  // One cycle without its pause; nullopt while the supervision goes on.
  std::optional<SupervisionEnd> RunCycle();

  // The pause after the last cycle: from its reading of the clocks to
  // kWakeMarginMs after the next whole second of the silence, the report's
  // age or, with no report, the time since SupervisionStart. The deadline
  // is one of those seconds, and the captions change at each of them. More
  // than kWakeMarginMs and at most 1000 ms more: one cycle a second.
  uint32_t NextPauseMs() const { return pause_ms_; }

  // The seen time (SeenClock: the running time while no gap was left out)
  // from which on the limit of the last cycle has run out: the report is
  // older than it, or, with no report, the supervision has lasted longer.
  // A cycle that begins then or later ends the supervision unless the
  // checker has reported anew or LiveStatusFunc has chosen another limit.
  // nullopt before the first cycle.
  std::optional<int64_t> NextDeadlineSeenMs() const { return deadline_ms_; }
  // The seen time at which the last report was 0 seconds old; nullopt
  // while LiveStatusTime holds no report.
  std::optional<int64_t> report_anchor_seen_ms() const {
    return report_anchor_ms_;
  }

 private:
  // Takes a LiveStatusTime text that differs from the last cycle's. A
  // report's age is taken once, now (ReportClock), and from then on grows
  // with seen time alone. Here and below, `now` is the cycle's reading of
  // the clocks with its running time in seen time.
  void Observe(std::u16string text, const ClockReading& now);
  std::optional<SupervisionEnd> ReportedCycle(const ClockReading& now);
  std::optional<SupervisionEnd> NeverReportedCycle(const ClockReading& now);
  // kRestarted, or kRestartLimitReached when the restart limit refuses:
  // then the hung Excel is cleared away, but nothing is handed over, and
  // after the end the person at the screen is told.
  // `age` and `limit`: what made the restart due, for its event.
  SupervisionEnd Restart(const ClockReading& now, int64_t age,
                         const TimeLimit& limit);
  // The dumps, then the clean-up, when the checker's Excel window is open.
  void ClearAway(DateTime when);
  // One log line per dumped process, with its id.
  void WriteDumps(std::u16string_view caption, DateTime when);
  // What the restarted checker finds whether or not Excel comes up, and
  // "Start Prog 2" for a debug start.
  void HandOver();
  // The checker's workbook: the program folder and LiveStatusExec.
  std::u16string CheckerWorkbook();
  // The events of a restart, once the checker is on its way and the window
  // has gone: an event log that does not answer holds nothing up.
  // `start_error`: the launch's failure, 0 for none; nullopt when the
  // restart limit refused.
  void ReportRestart(std::u16string_view workbook, int64_t age,
                     const TimeLimit& limit,
                     std::optional<uint32_t> start_error);
  // Lets go of the instance lock, then hides (unless the cancel button has)
  // and unloads the window; returns `end`.
  SupervisionEnd End(SupervisionEnd end);
  const TimeLimit& Limit();
  // A span as the window shows it; a span already run out shows as zero.
  std::u16string Remaining(int64_t seconds);

  Platform& platform_;
  DaemonValues& values_;
  ExcelCleanUp& cleanup_;
  DaemonLog& log_;
  CheckerLaunch& launch_;
  RestartLimit& restarts_;
  HangDump& dumps_;
  EventReport& events_;
  // What the dumps of this restart logged, for their events.
  std::vector<DumpLogLine> dump_lines_;
  // What a missing LiveStatusTime reads as: the marker's regional text.
  const std::u16string never_reported_text_;
  ReportClock report_clock_;
  SeenClock seen_clock_;
  // The LiveStatusTime text and the clocks of the last cycle, in seen
  // time; nullopt before the first.
  std::optional<std::u16string> report_text_;
  std::optional<ClockReading> last_reading_;
  std::optional<int64_t> report_anchor_ms_;
  std::optional<int64_t> deadline_ms_;
  uint32_t pause_ms_ = 1000;
  bool cleanup_prepared_ = false;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_SUPERVISION_H_
