#include "watchdog/supervision.h"

#include <algorithm>
#include <utility>

#include "common/text.h"

namespace zarn {
namespace {

// Whole seconds of seen time since `anchor_ms`, rounded down: a report
// from the future has a negative age.
int64_t SecondsSince(int64_t anchor_ms, const ClockReading& now) {
  return FloorDiv(now.running_ms - anchor_ms, 1000);
}

// The first seen time at which more than `limit` seconds have passed
// since `anchor_ms`.
int64_t DeadlineAfter(int64_t anchor_ms, const TimeLimit& limit) {
  return anchor_ms + (limit.seconds() + 1) * 1000;
}

// From `now` to kWakeMarginMs past the next whole second since `anchor_ms`.
uint32_t PauseToNextSecond(int64_t anchor_ms, const ClockReading& now) {
  const int64_t next = anchor_ms + (SecondsSince(anchor_ms, now) + 1) * 1000;
  return static_cast<uint32_t>(next - now.running_ms +
                               Supervision::kWakeMarginMs);
}

}  // namespace

Supervision::Supervision(Platform& platform, DaemonValues& values,
                         ExcelCleanUp& cleanup, DaemonLog& log,
                         CheckerLaunch& launch, RestartLimit& restarts,
                         HangDump& dumps, EventReport& events)
    : platform_(platform),
      values_(values),
      cleanup_(cleanup),
      log_(log),
      launch_(launch),
      restarts_(restarts),
      dumps_(dumps),
      events_(events),
      never_reported_text_(platform.regional.FormatDateTime(kNeverReported)),
      report_clock_(platform.clock),
      seen_clock_(values.shown_clocks) {}

SupervisionEnd Supervision::Run() {
  for (;;) {
    if (auto end = RunCycle()) return *end;
    platform_.clock.Sleep(pause_ms_);
  }
}

const TimeLimit& Supervision::Limit() {
  return CurrentLimit(platform_.settings, values_);
}

std::u16string Supervision::Remaining(int64_t seconds) {
  return platform_.regional.FormatSpan(std::max<int64_t>(seconds, 0));
}

std::optional<SupervisionEnd> Supervision::RunCycle() {
  if (values_.flags.cancel_requested) return End(SupervisionEnd::kCancelled);
  SettingsStore& settings = platform_.settings;
  if (settings.ReadSetting(settings::kLiveStatus, u"") == u"Finished") {
    return End(SupervisionEnd::kFinished);
  }
  std::u16string text =
      settings.ReadSetting(settings::kLiveStatusTime, never_reported_text_);
  // The one reading of the clocks in this cycle. Silence is counted in
  // the time the daemon saw run, restarts leave the limit's span in all
  // the time that passed.
  const ClockReading clocks = platform_.clock.Read();
  seen_clock_.Note(platform_.status_view.TakePowerNotices());
  const ClockReading now = seen_clock_.Seen(clocks, pause_ms_);
  if (text != report_text_) Observe(std::move(text), now);
  last_reading_ = now;
  restarts_.UpdateCount(clocks);
  if (report_anchor_ms_) return ReportedCycle(now);
  return NeverReportedCycle(now);
}

void Supervision::Observe(std::u16string text, const ClockReading& now) {
  report_anchor_ms_.reset();
  // A text the regional conversion can't read counts as no report.
  const std::optional<DateTime> last = platform_.regional.ParseDateTime(text);
  report_text_ = std::move(text);
  if (!last || *last == kNeverReported) return;
  // A text found at the first read may be of any age. One that changed
  // since was written after the last cycle's read.
  report_anchor_ms_ = last_reading_
                          ? report_clock_.RunningAnchorOfChangedReport(
                                *last, *last_reading_, now)
                          : report_clock_.RunningAnchorOfFirstReport(
                                *last, values_.start_clocks, now);
}

std::optional<SupervisionEnd> Supervision::ReportedCycle(
    const ClockReading& now) {
  StatusView& view = platform_.status_view;
  const int64_t age = SecondsSince(*report_anchor_ms_, now);
  const TimeLimit& limit = Limit();
  deadline_ms_ = DeadlineAfter(*report_anchor_ms_, limit);
  pause_ms_ = PauseToNextSecond(*report_anchor_ms_, now);
  if (age > limit.seconds() || values_.flags.restart_requested) {
    return Restart(now, age, limit);
  }
  if (age >= kCountdownSeconds) {
    view.SetCaption(StatusLabel::kStatus,
                    u"Starte neu in " + Remaining(Limit().seconds() - age));
  } else {
    view.SetCaption(StatusLabel::kStatus, u"Überwache...");
  }
  view.SetCaption(StatusLabel::kCancelTime, Limit().text());
  view.SetCaption(StatusLabel::kStatus2, platform_.regional.FormatSpan(age));
  view.ProcessPendingEvents(values_.flags);
  // WMI takes tens of milliseconds to load, which a restart would wait
  // for. Loaded two seconds ahead, it delays the next cycle instead, the
  // last before the deadline, whose pause is measured from its own reading
  // of the clocks: the restart still comes on time.
  if (!cleanup_prepared_ && !values_.flags.cancel_requested &&
      *deadline_ms_ - now.running_ms <= kPrepareAheadMs) {
    cleanup_.PrepareCleanUp();
    // dbghelp, too, takes a moment to load.
    dumps_.Prepare();
    cleanup_prepared_ = true;
  }
  return std::nullopt;
}

std::optional<SupervisionEnd> Supervision::NeverReportedCycle(
    const ClockReading& now) {
  StatusView& view = platform_.status_view;
  const int64_t supervised =
      SecondsSince(values_.supervision_start_running_ms, now);
  view.SetCaption(StatusLabel::kCancelTime, Limit().text());
  // The whole span that is left, not only its seconds.
  view.SetCaption(
      StatusLabel::kStatus,
      u"ZARN inaktiv, beende in " + Remaining(Limit().seconds() - supervised));
  const TimeLimit& limit = Limit();
  deadline_ms_ = DeadlineAfter(values_.supervision_start_running_ms, limit);
  pause_ms_ = PauseToNextSecond(values_.supervision_start_running_ms, now);
  if (supervised > limit.seconds()) {
    const SupervisionEnd end = End(SupervisionEnd::kNoReport);
    events_.ReportNeverReported(limit);
    return end;
  }
  view.ProcessPendingEvents(values_.flags);
  return std::nullopt;
}

SupervisionEnd Supervision::Restart(const ClockReading& now, int64_t age,
                                    const TimeLimit& limit) {
  restarts_.ReadHistory(now, values_.flags.restart_requested);
  ClearAway(now.local);
  restarts_.LogUnreadable(log_, now.local);
  const bool admitted = restarts_.AdmitRestart(now);
  if (admitted) HandOver();
  const std::u16string workbook = CheckerWorkbook();
  if (!admitted) {
    restarts_.LogRefusal(log_, now.local, workbook);
    // The notice comes once the lock and the window have gone: a checker
    // started by hand while it shows gets a daemon that supervises it.
    End(SupervisionEnd::kRestartLimitReached);
    ReportRestart(workbook, age, limit, std::nullopt);
    restarts_.TellRefusal(platform_.message_box,
                          platform_.regional.FormatDateTime(now.local),
                          workbook);
    return SupervisionEnd::kRestartLimitReached;
  }
  // The log keeps the local wall time of the cycle that decided.
  log_.WriteDaemonLog(now.local, u"ZARND: Start ZARN '" + workbook + u"'", 0,
                      0);
  // The reopened checker starts its daemon at once; it must find the lock
  // free, not held by us while our window goes.
  platform_.instance_lock.Release();
  const uint32_t start_error =
      launch_.StartCheckerWorkbook(workbook, now.local);
  End(SupervisionEnd::kRestarted);
  ReportRestart(workbook, age, limit, start_error);
  return SupervisionEnd::kRestarted;
}

void Supervision::ReportRestart(std::u16string_view workbook, int64_t age,
                                const TimeLimit& limit,
                                std::optional<uint32_t> start_error) {
  for (const DumpLogLine& line : dump_lines_) {
    if (line.file.empty()) {
      events_.ReportDumpSkipped(line.process_id, line.reason());
    } else {
      events_.ReportDumpWritten(line.process_id, line.file);
    }
  }
  if (!restarts_.unreadable().empty()) {
    events_.ReportUnreadableRestarts(restarts_.unreadable());
  }
  if (!start_error) {
    const RestartQuota& quota = *restarts_.quota();
    events_.ReportRestartRefused(workbook, quota.max_restarts, quota.span);
    return;
  }
  events_.ReportRestart(values_.flags.restart_requested
                            ? RestartCause::kUser
                            : RestartCause::kSilence,
                        workbook, age, limit);
  if (*start_error != 0) events_.ReportStartFailed(workbook, *start_error);
}

void Supervision::ClearAway(DateTime when) {
  const std::u16string caption =
      platform_.settings.ReadSetting(settings::kLiveStatusCaption, u"");
  if (!cleanup_.IsExcelWindowOpen(caption)) return;
  // The evidence first: the clean-up ends what the dumps record.
  WriteDumps(caption, when);
  cleanup_.CleanUpExcel();
}

void Supervision::WriteDumps(std::u16string_view caption, DateTime when) {
  if (!dumps_.on()) return;
  // The restart's own line follows these.
  dump_lines_ = dumps_.DumpProcesses(cleanup_.ProcessesToDump(caption));
  for (const DumpLogLine& line : dump_lines_) {
    log_.WriteDaemonLog(when, line.message, 0,
                        static_cast<int32_t>(line.process_id));
  }
}

void Supervision::HandOver() {
  SettingsStore& settings = platform_.settings;
  settings.WriteSetting(settings::kStartedByDaemon, u"True");
  settings.WriteSetting(settings::kCommand, values_.daemon_command);
  if (values_.debug_start) {
    platform_.message_box.Show(u"Start Prog 2", u"", MessageKind::kPlain);
  }
}

std::u16string Supervision::CheckerWorkbook() {
  return values_.program_folder +
         platform_.settings.ReadSetting(settings::kLiveStatusExec, u"");
}

SupervisionEnd Supervision::End(SupervisionEnd end) {
  // First of all: a checker started from now on gets a daemon of its own.
  platform_.instance_lock.Release();
  // The cancel button has hidden the window already.
  if (end != SupervisionEnd::kCancelled) platform_.status_view.Hide();
  platform_.status_view.Unload();
  return end;
}

}  // namespace zarn
