#include "watchdog/start_up.h"

#include "common/config_keys.h"
#include "paths/helpers.h"
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
  // Before the configuration's probes and message boxes and the instance
  // test, which may take long: a step of the wall clock from here on up
  // to the first read of a report is seen (ReportClock).
  values_.start_clocks = platform_.clock.Read();
  NoteFolderAndLogPath();
  ReadConfiguration();
  values_.flags = ButtonFlags{};
  values_.debug_start = false;
  if (IsSecondInstance(platform_.instance_lock, platform_.processes,
                       platform_.clock, kDaemonExeName)) {
    events_.ReportSecondInstance(platform_.exe_path);
    return StartUpResult::kSecondInstance;
  }
  const std::u16string& command_line = platform_.command_line;
  values_.debug_start = !command_line.empty() && command_line.back() == u'1';
  const ClockReading shown = ShowWindow();
  if (!TakeDaemonCommand()) {
    platform_.instance_lock.Release();
    platform_.status_view.Unload();
    return StartUpResult::kNoDaemonCommand;
  }
  restarts_.ShowCountOnceShown(shown);
  platform_.status_view.ProcessPendingEvents(values_.flags);
  return StartUpResult::kSupervise;
}

void StartUp::NoteFolderAndLogPath() {
  values_.program_folder = GetParentFolder(platform_.exe_path) + u"\\";
  helpers_.set_program_folder(values_.program_folder);
  values_.daemon_log_path =
      platform_.settings.ReadSetting(settings::kDaemonLog, u"");
}

void StartUp::ReadConfiguration() {
  if (!ChooseConfigurationFile()) return;
  if (reader_.GetSection(u"ZARN")) ReadZarnSection();
  if (reader_.GetSection(u"Velmora-Suite Scheduler")) {
    values_.scheduler_temp_folder =
        ResolveTempFolder(values_.scheduler_temp_folder);
  }
  if (reader_.GetSection(u"GLOBALS")) {
    values_.global_temp_folder =
        ResolveTempFolder(values_.scheduler_temp_folder);
  }
}

bool StartUp::ChooseConfigurationFile() {
  const std::u16string& folder = values_.program_folder;
  bool any_found = false;
  for (std::u16string_view candidate : kFirstPassCandidates) {
    if (helpers_.CheckFileExists(folder + std::u16string(candidate))) {
      any_found = true;
    }
  }
  if (!any_found) return false;
  for (std::u16string_view candidate : kChoiceCandidates) {
    const std::u16string path = folder + std::u16string(candidate);
    if (helpers_.CheckFileExists(path)) {
      reader_.GetCfg(path);
      values_.config_file_path = path;
      helpers_.set_config_file_path(path);
      break;
    }
  }
  return true;
}

void StartUp::ReadZarnSection() {
  // First, so that the section's other messages reach the event log or not
  // as it says.
  const EventLogSwitch events =
      ReadEventLogSwitch(reader_.GetValue(kEventLogKey));
  events_.set_enabled(events.on);
  if (!events.malformed_message.empty()) {
    ReportConfiguration(events.malformed_message);
  }
  values_.cancel_time = ReadLimit(u"CANCELTIME", kCancelTimeFallback);
  values_.load_time = ReadLimit(u"LOADTIME", kLoadTimeFallback);
  values_.special_cells_time =
      ReadLimit(u"SPECIALCELLSTIME", kSpecialCellsTimeFallback);
  ReportConfiguration(restarts_.ReadKeys(reader_));
  ReportConfiguration(dumps_.ReadKeys(reader_));
}

TimeLimit StartUp::ReadLimit(std::u16string_view key,
                             std::u16string_view fallback) {
  const std::u16string value = reader_.GetValue(key);
  if (value.empty()) return TimeLimit::FromText(fallback);
  // A value that is no time of day (25:00:00) is malformed too, so the loop
  // never meets a limit it can't count with.
  if (auto limit = TimeLimit::Parse(value)) return *limit;
  ReportConfiguration(MalformedKeyMessage(
      key, u"entspricht nicht dem Format hh:mm:ss", FallbackOutcome(fallback)));
  return TimeLimit::FromText(fallback);
}

void StartUp::ReportConfiguration(const std::vector<std::u16string>& messages) {
  for (const std::u16string& message : messages) ReportConfiguration(message);
}

void StartUp::ReportConfiguration(std::u16string_view message) {
  // Before the box, which waits for a click.
  events_.ReportMalformedConfiguration(values_.config_file_path, message);
  platform_.message_box.Show(message, BuildTitle(),
                             MessageKind::kCriticalSystemModal);
}

ClockReading StartUp::ShowWindow() {
  StatusView& view = platform_.status_view;
  view.SetCaption(StatusLabel::kCancelTime,
                  CurrentLimit(platform_.settings, values_).text());
  view.SetCaption(StatusLabel::kStatus, u"Initialisiere...");
  view.SetCaption(StatusLabel::kStatus2, u"");
  view.Show();
  // SupervisionStart, from which the never-reported deadline counts: the
  // window is up, however long the configuration's messages kept start-up
  // waiting. It may be visible well before Show returns, under Wine by
  // more than a second; the deadline then runs out late rather than early.
  const ClockReading shown = platform_.clock.Read();
  values_.supervision_start = shown.local;
  values_.supervision_start_running_ms = shown.RunningAtSecondStart();
  values_.shown_clocks = shown;
  view.SetCaption(StatusLabel::kStatus, u"Überwache...");
  return shown;
}

bool StartUp::TakeDaemonCommand() {
  SettingsStore& settings = platform_.settings;
  values_.daemon_command = settings.ReadSetting(settings::kDaemonCommand, u"");
  if (values_.daemon_command.empty()) return false;
  settings.WriteSetting(settings::kDaemonCommand, u"");
  return true;
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
