#include "watchdog/supervision.h"

#include <algorithm>

namespace zarn {

Supervision::Supervision(Platform& platform, DaemonValues& values,
                         ExcelCleanUp& cleanup, DaemonLog& log,
                         CheckerLaunch& launch)
    : platform_(platform),
      values_(values),
      cleanup_(cleanup),
      log_(log),
      launch_(launch),
      never_reported_text_(platform.regional.FormatDateTime(kNeverReported)) {}

SupervisionEnd Supervision::Run() {
  for (;;) {
    if (auto end = RunCycle()) return *end;
    platform_.clock.Sleep(kCyclePauseMs);
  }
}

const TimeLimit& Supervision::Limit() {
  return CurrentLimit(platform_.settings, values_);
}

std::u16string Supervision::Remaining(int64_t seconds) {
  return platform_.regional.FormatSpan(std::max<int64_t>(seconds, 0));
}

std::optional<SupervisionEnd> Supervision::RunCycle() {
  StatusView& view = platform_.status_view;
  if (values_.flags.cancel_requested) {
    // The button has hidden the window already.
    view.Unload();
    return SupervisionEnd::kCancelled;
  }
  SettingsStore& settings = platform_.settings;
  if (settings.ReadSetting(settings::kLiveStatus, u"") == u"Finished") {
    view.Hide();
    view.Unload();
    return SupervisionEnd::kFinished;
  }
  // A text the regional conversion can't read counts as no report.
  const std::optional<DateTime> last = platform_.regional.ParseDateTime(
      settings.ReadSetting(settings::kLiveStatusTime, never_reported_text_));
  if (last && *last != kNeverReported) return ReportedCycle(*last);
  return NeverReportedCycle();
}

std::optional<SupervisionEnd> Supervision::ReportedCycle(DateTime last) {
  StatusView& view = platform_.status_view;
  Clock& clock = platform_.clock;
  if (last + Limit().seconds() < clock.Now() ||
      values_.flags.restart_requested) {
    Restart();
    return SupervisionEnd::kRestarted;
  }
  if (last + kCountdownSeconds <= clock.Now()) {
    const DateTime due = last + Limit().seconds();
    view.SetCaption(StatusLabel::kStatus,
                    u"Starte neu in " + Remaining(due - clock.Now()));
  } else {
    view.SetCaption(StatusLabel::kStatus, u"Überwache...");
  }
  view.SetCaption(StatusLabel::kCancelTime, Limit().text());
  view.SetCaption(StatusLabel::kStatus2,
                  platform_.regional.FormatSpan(clock.Now() - last));
  view.ProcessPendingEvents(values_.flags);
  return std::nullopt;
}

std::optional<SupervisionEnd> Supervision::NeverReportedCycle() {
  StatusView& view = platform_.status_view;
  Clock& clock = platform_.clock;
  view.SetCaption(StatusLabel::kCancelTime, Limit().text());
  // The whole span that is left, not only its seconds.
  const DateTime deadline = values_.supervision_start + Limit().seconds();
  view.SetCaption(StatusLabel::kStatus, u"ZARN inaktiv, beende in " +
                                            Remaining(deadline - clock.Now()));
  if (values_.supervision_start + Limit().seconds() < clock.Now()) {
    view.Hide();
    view.Unload();
    return SupervisionEnd::kNoReport;
  }
  view.ProcessPendingEvents(values_.flags);
  return std::nullopt;
}

void Supervision::Restart() {
  SettingsStore& settings = platform_.settings;
  const std::u16string caption =
      settings.ReadSetting(settings::kLiveStatusCaption, u"");
  if (cleanup_.IsExcelWindowOpen(caption)) cleanup_.CleanUpExcel();

  // The restarted checker finds these whether or not Excel comes up.
  settings.WriteSetting(settings::kStartedByDaemon, u"True");
  settings.WriteSetting(settings::kCommand, values_.daemon_command);
  if (values_.debug_start) {
    platform_.message_box.Show(u"Start Prog 2", u"", MessageKind::kPlain);
  }
  const std::u16string workbook =
      values_.program_folder +
      settings.ReadSetting(settings::kLiveStatusExec, u"");
  log_.WriteDaemonLog(platform_.clock.Now(),
                      u"ZARND: Start ZARN '" + workbook + u"'", 0, 0);
  launch_.StartCheckerWorkbook(workbook);

  platform_.status_view.Hide();
  platform_.status_view.Unload();
}

}  // namespace zarn
