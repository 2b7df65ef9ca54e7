// The CPU time of one supervision cycle against the fakes, in the three
// states a cycle can find: a fresh report, a report in its last 30 seconds
// before the restart (the countdown), and no report yet. The clock stands
// still, so every cycle does the same work; the settings reads of a cycle
// are counted through the store.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "paths/helpers.h"
#include "paths/unc.h"
#include "process/excel_cleanup.h"
#include "testing/fake_platform.h"
#include "watchdog/checker_launch.h"
#include "watchdog/daemon_log.h"
#include "watchdog/daemon_values.h"
#include "watchdog/supervision.h"

namespace zarn {
namespace {

// The window as the real one keeps it: only the latest caption of each
// label, so that the cycle's cost is not the fake's recording.
class LatestCaptionView final : public StatusView {
 public:
  void SetCaption(StatusLabel label, std::u16string_view text) override {
    captions_[static_cast<int>(label)].assign(text);
  }
  bool Show() override { return true; }
  void Hide() override {}
  void Unload() override {}
  void ProcessPendingEvents(ButtonFlags&) override {}
  PowerNotices TakePowerNotices() override { return {}; }

 private:
  std::u16string captions_[3];
};

enum class Report { kFresh, kCountdown, kNever };

class SupervisedDaemon {
 public:
  explicit SupervisedDaemon(Report report) {
    SettingsStore& s = fake_.settings;
    s.WriteSetting(settings::kLiveStatusExec, u"Check.xls");
    s.WriteSetting(settings::kLiveStatusFunc, u"WorkbooksOpen");
    const ClockReading start = fake_.clock.Read();
    const DateTime now = start.local;
    values_.supervision_start = now;
    values_.supervision_start_running_ms = start.RunningAtSecondStart();
    values_.daemon_command = u"RUN";
    values_.program_folder = u"C:\\Tools\\Daemon\\";
    if (report != Report::kNever) {
      const int64_t age = report == Report::kFresh ? 5 : 290;
      s.WriteSetting(settings::kLiveStatusTime,
                     fake_.regional.FormatDateTime(now - age));
    }
    fake_.settings.reset_counts();
  }

  // One cycle; false when the supervision ended, which must not happen.
  bool Cycle() { return !supervision_.RunCycle().has_value(); }
  // The store keeps every read key; empty it now and then.
  int TakeReads() {
    const int reads = fake_.settings.read_count();
    fake_.settings.reset_counts();
    return reads;
  }

 private:
  FakePlatform fake_;
  LatestCaptionView view_;
  Platform platform_ = fake_.platform(view_);
  DaemonValues values_;
  Unc unc_{fake_.network_drives};
  Helpers helpers_{fake_.file_system, fake_.http, unc_};
  DaemonLog log_{helpers_, fake_.file_appender, fake_.clock, fake_.regional,
                 fake_.code_pages};
  ExcelCleanUp cleanup_{fake_.settings,  fake_.processes, fake_.windows,
                        fake_.user_name, fake_.wmi,       fake_.regional};
  CheckerLaunch launch_{fake_.settings, fake_.shell, log_};
  RestartLimit restarts_{fake_.settings, view_};
  HangDump dumps_{fake_.dumps, helpers_, fake_.clock};
  EventReport events_{fake_.event_log};
  Supervision supervision_{platform_, values_,   cleanup_, log_,
                           launch_,   restarts_, dumps_,   events_};
};

void BM_SupervisionCycle(benchmark::State& state, Report report) {
  SupervisedDaemon daemon(report);
  int64_t reads = 0;
  int64_t cycles = 0;
  for (auto _ : state) {
    if (!daemon.Cycle()) {
      state.SkipWithError("the supervision ended");
      break;
    }
    if (++cycles % 4096 == 0) reads += daemon.TakeReads();
  }
  reads += daemon.TakeReads();
  state.counters["settings_reads_per_cycle"] =
      cycles ? static_cast<double>(reads) / static_cast<double>(cycles) : 0;
}
BENCHMARK_CAPTURE(BM_SupervisionCycle, fresh_report, Report::kFresh);
BENCHMARK_CAPTURE(BM_SupervisionCycle, countdown, Report::kCountdown);
BENCHMARK_CAPTURE(BM_SupervisionCycle, never_reported, Report::kNever);

}  // namespace
}  // namespace zarn
