#include "watchdog/start_up.h"

#include "common/text.h"
#include "paths/helpers.h"
#include "process/hang_dump.h"
#include "process/process_control.h"
#include "process/single_instance.h"
#include "watchdog/build_title.h"
#include "watchdog/daemon_log.h"

namespace zarn {
namespace {

// Every candidate is probed in this order first: when none exists, no
// configuration is read at all.
constexpr std::u16string_view kFirstPassCandidates[] = {
    u"..\\..\\..\\velmora-suite\\cfg\\Velmora-Suite.cfg",
    u"..\\..\\velmora-suite\\cfg\\Velmora-Suite.cfg",
    u"Velmora-Suite.cfg",
    u"..\\..\\Velmora-Suite-Plugins\\cfg\\Velmora-Suite.cfg",
    u"..\\cfg\\Velmora-Suite.cfg",
    u"ZARN.cfg",
};

// The first of these that exists is read: a ZARN.cfg beside the daemon wins.
constexpr std::u16string_view kChoiceCandidates[] = {
    u"ZARN.cfg",
    u"..\\cfg\\Velmora-Suite.cfg",
    u"..\\..\\Velmora-Suite-Plugins\\cfg\\Velmora-Suite.cfg",
    u"velmora-suite.cfg",
    u"..\\..\\velmora-suite\\cfg\\Velmora-Suite.cfg",
    u"..\\..\\..\\velmora-suite\\cfg\\Velmora-Suite.cfg",
};

constexpr std::u16string_view kCancelTimeFallback = u"00:05:00";
constexpr std::u16string_view kLoadTimeFallback = u"00:03:30";
constexpr std::u16string_view kSpecialCellsTimeFallback = u"00:30:00";

}  // namespace

StartUpResult StartUp::Run() {
  SettingsStore& settings = platform_.settings;
  StatusView& view = platform_.status_view;

  values_.program_folder = GetParentFolder(platform_.exe_path) + u"\\";
  helpers_.set_program_folder(values_.program_folder);
  values_.daemon_log_path = settings.ReadSetting(settings::kDaemonLog, u"");
  ReadConfiguration();

  values_.flags = ButtonFlags{};
  values_.debug_start = false;
  if (IsSecondInstance(platform_.instance_lock, platform_.processes,
                       platform_.clock, kDaemonExeName)) {
    return StartUpResult::kSecondInstance;
  }
  const std::u16string& command_line = platform_.command_line;
  if (!command_line.empty() && command_line.back() == u'1') {
    values_.debug_start = true;
  }

  view.SetCaption(StatusLabel::kCancelTime,
                  CurrentLimit(settings, values_).text());
  view.SetCaption(StatusLabel::kStatus, u"Initialisiere...");
  view.SetCaption(StatusLabel::kStatus2, u"");
  // The window may be visible well before ShowWindow returns, under Wine
  // by more than a second: a step of the wall clock from here on up to
  // the first read is seen (ReportClock::RunningAnchorOfFirstReport).
  values_.start_clocks = platform_.clock.Read();
  view.Show();
  const ClockReading shown = platform_.clock.Read();
  values_.supervision_start = shown.local;
  values_.supervision_start_running_ms = shown.RunningAtSecondStart();
  view.SetCaption(StatusLabel::kStatus, u"Überwache...");

  values_.daemon_command = settings.ReadSetting(settings::kDaemonCommand, u"");
  if (values_.daemon_command.empty()) {
    platform_.instance_lock.Release();
    view.Unload();
    return StartUpResult::kNoDaemonCommand;
  }
  settings.WriteSetting(settings::kDaemonCommand, u"");
  if (values_.restart_limit) ShowRestarts(shown);
  view.ProcessPendingEvents(values_.flags);
  return StartUpResult::kSupervise;
}

void StartUp::ReadConfiguration() {
  const std::u16string& folder = values_.program_folder;
  bool any_found = false;
  for (std::u16string_view candidate : kFirstPassCandidates) {
    if (helpers_.CheckFileExists(folder + std::u16string(candidate))) {
      any_found = true;
    }
  }
  if (!any_found) return;

  for (std::u16string_view candidate : kChoiceCandidates) {
    const std::u16string path = folder + std::u16string(candidate);
    if (helpers_.CheckFileExists(path)) {
      reader_.GetCfg(path);
      values_.config_file_path = path;
      helpers_.set_config_file_path(path);
      break;
    }
  }

  if (reader_.GetSection(u"ZARN")) {
    values_.cancel_time = ReadLimit(u"CANCELTIME", kCancelTimeFallback);
    values_.load_time = ReadLimit(u"LOADTIME", kLoadTimeFallback);
    values_.special_cells_time =
        ReadLimit(u"SPECIALCELLSTIME", kSpecialCellsTimeFallback);
    values_.restart_limit = ReadRestartLimit();
    ReadDumpSettings();
  }
  if (reader_.GetSection(u"Velmora-Suite Scheduler")) {
    values_.scheduler_temp_folder =
        ResolveTempFolder(values_.scheduler_temp_folder);
  }
  if (reader_.GetSection(u"GLOBALS")) {
    values_.global_temp_folder =
        ResolveTempFolder(values_.scheduler_temp_folder);
  }
}

TimeLimit StartUp::ReadLimit(std::u16string_view key,
                             std::u16string_view fallback) {
  const std::u16string value = reader_.GetValue(key);
  if (value.empty()) return TimeLimit::FromText(fallback);
  // A value that is no time of day (25:00:00) is malformed too, so the loop
  // never meets a limit it can't count with.
  if (auto limit = TimeLimit::Parse(value)) return *limit;
  std::u16string message = u"Die ";
  message += key;
  message +=
      u" in der Sektion [ZARN] der Konfiguration entspricht nicht dem Format "
      u"hh:mm:ss. Der Wert wird auf ";
  message += fallback;
  message += u" gesetzt.";
  ReportConfiguration(message);
  return TimeLimit::FromText(fallback);
}

std::optional<RestartLimit> StartUp::ReadRestartLimit() {
  const std::u16string max_text = reader_.GetValue(u"RESTARTMAX");
  const std::u16string span_text = reader_.GetValue(u"RESTARTTIME");
  if (max_text.empty() && span_text.empty()) return std::nullopt;
  const std::optional<int> max = ParseRestartMax(max_text);
  const std::optional<TimeLimit> span = ParseRestartSpan(span_text);
  constexpr std::u16string_view kOff = u" Neustarts werden nicht begrenzt.";
  if (!max_text.empty() && !max) {
    ReportConfiguration(
        std::u16string(u"Die RESTARTMAX in der Sektion [ZARN] der "
                       u"Konfiguration ist keine ganze Zahl von 1 bis 999.") +
        std::u16string(kOff));
  }
  if (!span_text.empty() && !span) {
    ReportConfiguration(
        std::u16string(u"Die RESTARTTIME in der Sektion [ZARN] der "
                       u"Konfiguration ist keine Zeitspanne von 00:00:01 bis "
                       u"23:59:59 im Format hh:mm:ss.") +
        std::u16string(kOff));
  }
  // Half a limit is no limit; the key that is there must not pass unseen.
  if (max_text.empty() && span) {
    ReportConfiguration(std::u16string(u"In der Sektion [ZARN] der "
                                       u"Konfiguration fehlt RESTARTMAX zu "
                                       u"RESTARTTIME.") +
                        std::u16string(kOff));
  }
  if (span_text.empty() && max) {
    ReportConfiguration(std::u16string(u"In der Sektion [ZARN] der "
                                       u"Konfiguration fehlt RESTARTTIME zu "
                                       u"RESTARTMAX.") +
                        std::u16string(kOff));
  }
  if (!max || !span) return std::nullopt;
  return RestartLimit{*max, *span};
}

void StartUp::ShowRestarts(const ClockReading& shown) {
  const RestartLimit& limit = *values_.restart_limit;
  const int64_t now_s = shown.UtcSeconds();
  const RestartHistory history = ReadRestartHistory(
      platform_.settings.ReadSetting(settings::kDaemonRestarts, u""), now_s,
      limit.span);
  values_.restarts_leave_span_running_ms.clear();
  for (int64_t time : history.times) {
    values_.restarts_leave_span_running_ms.push_back(
        shown.RunningAtSecondStart() +
        (time + limit.span.seconds() - now_s) * 1000);
  }
  platform_.status_view.SetCaption(
      StatusLabel::kRestarts,
      limit.Caption(static_cast<int>(history.times.size())));
}

void StartUp::ReportConfiguration(std::u16string_view message) {
  platform_.message_box.Show(message, BuildTitle(),
                             MessageKind::kCriticalSystemModal);
}

void StartUp::ReadDumpSettings() {
  const std::u16string folder = reader_.GetValue(u"DUMPPFAD");
  // Made only when a dump is due: a configuration with dumps on changes
  // nothing on disk until the checker hangs.
  if (!folder.empty())
    values_.dump_folder = helpers_.ResolveFolder(u"", folder);
  const std::u16string max = reader_.GetValue(u"DUMPMAX");
  if (max.empty()) return;
  if (const std::optional<int> parsed = ParseDumpMax(max)) {
    values_.dump_max = *parsed;
    return;
  }
  std::u16string message =
      u"Die DUMPMAX in der Sektion [ZARN] der Konfiguration ist keine "
      u"ganze Zahl von 1 bis ";
  message += ToDecimal(kDumpMaxLargest);
  message += u". Der Wert wird auf ";
  message += ToDecimal(kDumpMaxDefault);
  message += u" gesetzt.";
  ReportConfiguration(message);
  values_.dump_max = kDumpMaxDefault;
}

std::u16string StartUp::ResolveTempFolder(std::u16string_view default_folder) {
  const std::u16string value = reader_.GetValue(u"TEMPPFAD");
  std::u16string folder = helpers_.EnsureFolder(default_folder, value);
  if (folder.empty() || !helpers_.FolderExists(folder)) {
    folder = values_.program_folder;
  }
  if (!value.empty()) folder = helpers_.EnsureFolder(u"", value);
  return folder;
}

}  // namespace zarn
