// When the supervision loop wakes: just after each whole second of the
// checker's silence in seen time, so that the restart and the
// never-reported end follow their deadlines within a few hundredths of a
// second, whatever the phase of the report, the captions tick evenly, and
// the loop wakes no more than once a second, also on a timer that ends a
// pause late or a little early, and across a pause of the daemon.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "paths/helpers.h"
#include "paths/unc.h"
#include "process/excel_cleanup.h"
#include "testing/fake_platform.h"
#include "watchdog/main_mod.h"
#include "watchdog/supervision.h"

namespace zarn {
namespace {

// CANCELTIME, the limit that applies: the deadline is 301 s after the
// report's second, or after the second in which the window appeared.
constexpr int64_t kLimitMs = 300 * 1000;

// How a pause ends against the time asked for.
enum class Timer {
  kExact,
  kTicks,      // on the next 15.625 ms tick, as Windows' Sleep does
  kEarly,      // up to 15 ms early
  kOneCoarse,  // the long pause that would end past the deadline ends 50 ms
               // early, before the deadline
};

struct TimingCase {
  const char* name;
  int64_t phase_ms;  // how far into its wall-clock second the daemon starts
  // The running second from which on the checker reports once (0: the
  // report is there before the start); nullopt: it never reports.
  std::optional<int64_t> report_at_s;
  int64_t wall_step_ms;  // the wall clock moves just before the report
  Timer timer;
  // Wake-ups a minute may have beyond 60: a new report after a step by a
  // fraction of a second moves the seconds of the silence once, and a
  // pause that ends before its second is followed by a short one.
  int extra_wakes;
  // Seconds the daemon is paused once, 100 s into its run; the deadline
  // moves on by as much.
  int64_t pause_s = 0;
};

// "00:04:55" or "ZARN inaktiv, beende in 00:04:55": the span in seconds.
int64_t SpanOf(const std::u16string& caption) {
  const std::u16string s = caption.substr(caption.size() - 8);
  const auto two = [&](size_t at) {
    return (s[at] - u'0') * 10 + (s[at + 1] - u'0');
  };
  return two(0) * 3600 + two(3) * 60 + two(6);
}

struct CycleSeen {
  bool reported;
  int64_t span;  // the age shown, or the time left to the end
};

TEST(SupervisionTimingTest, CycleRunsJustAfterEachSecondOfSilence) {
  const TimingCase cases[] = {
      {"never reported, on the second", 0, std::nullopt, 0, Timer::kExact, 0},
      {"never reported, 999 ms in, ticks", 999, std::nullopt, 0, Timer::kTicks,
       0},
      {"report there at the start, 400 ms in", 400, 0, 0, Timer::kExact, 0},
      {"report there at the start, 1 ms in, early", 1, 0, 0, Timer::kEarly, 0},
      {"report at 10 s, 700 ms in, ticks", 700, 10, 0, Timer::kTicks, 0},
      {"report after a step of +2 h 0.4 s", 0, 10, 7200400, Timer::kExact, 1},
      {"report after a step of -0.25 s, early", 500, 10, -250, Timer::kEarly,
       1},
      {"the pause before the deadline ends early", 300, 0, 0, Timer::kOneCoarse,
       1},
      {"never reported, a pause ends early", 600, std::nullopt, 0,
       Timer::kOneCoarse, 1},
      {"report there at the start, paused 10 min", 400, 0, 0, Timer::kExact, 0,
       600},
      {"never reported, paused 10 min", 0, std::nullopt, 0, Timer::kExact, 0,
       600},
  };
  for (const TimingCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    fake.settings.Set(settings::kDaemonCommand, u"RUN");
    fake.clock.set_sleep_limit(1000);
    const auto elapsed = [&] { return fake.clock.elapsed_ms(); };
    const auto report = [&] {
      fake.settings.Set(settings::kLiveStatusTime,
                        fake.regional.FormatDateTime(fake.clock.Now()));
      // With the wall clock steady from now on, the report is overdue when
      // it shows the report's second + 301 s.
      const int64_t wall_ms = fake.clock.Read().utc_ms;
      return elapsed() + FloorDiv(wall_ms, 1000) * 1000 + kLimitMs + 1000 -
             wall_ms;
    };
    // The clock starts on a whole second of the wall clock.
    fake.clock.Advance(c.phase_ms);
    int64_t due = kLimitMs + 1000;
    if (c.report_at_s == 0) due = report();
    bool reported = c.report_at_s == 0;

    int sleeps = 0;
    fake.clock.set_sleep_drift([&](uint32_t ms) -> int64_t {
      const int64_t end = elapsed() + ms;
      switch (c.timer) {
        case Timer::kExact:
          return 0;
        case Timer::kTicks:
          return ((end * 8 + 124) / 125 * 125 + 7) / 8 - end;
        case Timer::kEarly:
          return -(++sleeps * 7 % 16);
        case Timer::kOneCoarse:
          return ms >= 500 && end >= due && end < due + 1000 ? -50 : 0;
      }
      return 0;
    });
    std::vector<int64_t> wakes;
    std::vector<CycleSeen> seen;
    const auto record = [&] {
      const bool in_report = fake.settings.Has(settings::kLiveStatusTime);
      const StatusLabel label =
          in_report ? StatusLabel::kStatus2 : StatusLabel::kStatus;
      seen.push_back({in_report, SpanOf(*fake.status_view.Caption(label))});
    };
    bool paused = false;
    fake.clock.set_on_sleep([&] {
      record();
      if (c.pause_s && !paused && elapsed() >= 100000) {
        fake.clock.Pause(c.pause_s * 1000);
        due += c.pause_s * 1000;
        paused = true;
      }
      wakes.push_back(elapsed());
      if (!reported && c.report_at_s && elapsed() >= *c.report_at_s * 1000) {
        fake.clock.StepWall(c.wall_step_ms);
        due = report();
        reported = true;
      }
    });
    Platform platform = fake.platform();
    Main(platform);

    EXPECT_EQ(fake.settings.Has(settings::kStartedByDaemon),
              c.report_at_s.has_value());
    // The cycle that ends the daemon runs just after the deadline.
    EXPECT_GE(elapsed(), due);
    EXPECT_LE(elapsed(), due + Supervision::kWakeMarginMs + 16);
    // Each cycle shows one second more of age, or one less of the time
    // left, also across a pause of the daemon; only a pause that ended
    // early repeats a second.
    int repeats = 0;
    for (size_t i = 1; i < seen.size(); ++i) {
      if (seen[i].reported != seen[i - 1].reported) continue;
      const int64_t step = seen[i].span - seen[i - 1].span;
      if (step == 0) {
        ++repeats;
      } else {
        EXPECT_EQ(step, seen[i].reported ? 1 : -1) << "cycle " << i;
      }
    }
    EXPECT_LE(repeats, c.timer == Timer::kOneCoarse ? 1 : 0);
    // No minute holds more than 60 wake-ups, allowing for the timer's
    // jitter at both ends.
    for (size_t i = 0; i < wakes.size(); ++i) {
      size_t in_minute = 0;
      while (i + in_minute < wakes.size() &&
             wakes[i + in_minute] < wakes[i] + 60000 - 32) {
        ++in_minute;
      }
      ASSERT_LE(in_minute, 60u + c.extra_wakes) << "from " << wakes[i] << " ms";
    }
  }
}

TEST(SupervisionTimingTest, DeadlineIsTheFirstSeenMillisecondPastTheLimit) {
  // The report is first seen at 09:00:00 and `seen_ms` into that second of
  // the wall clock. The restart comes when a steady wall clock passes
  // report + 00:05:00 in whole seconds; a report from the future counts as
  // that much younger.
  struct FirstRead {
    const char* name;
    int64_t seen_ms;
    int64_t report_s;   // seconds from 09:00:00
    int64_t restart_s;  // seconds from 09:00:00 at which it is overdue
  };
  const FirstRead cases[] = {
      {"on the second", 0, 0, 301},      {"400 ms into it", 400, 0, 301},
      {"999 ms into it", 999, 0, 301},   {"2 s in the future", 400, 2, 303},
      {"2 s in the past", 400, -2, 299},
  };
  const DateTime nine = DateTime::FromCivil(2026, 12, 7, 9, 0, 0);
  for (const FirstRead& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake(nine);
    fake.clock.Advance(c.seen_ms);
    fake.settings.Set(settings::kLiveStatusTime,
                      fake.regional.FormatDateTime(nine + c.report_s));
    DaemonValues values;
    Unc unc(fake.network_drives);
    Helpers helpers(fake.file_system, fake.http, unc);
    DaemonLog log(helpers, fake.file_appender, fake.clock, fake.regional,
                  fake.code_pages);
    ExcelCleanUp cleanup(fake.settings, fake.processes, fake.windows,
                         fake.user_name, fake.wmi, fake.regional);
    CheckerLaunch launch(fake.settings, fake.shell, log);
    RestartLimit restarts(fake.settings, fake.status_view);
    HangDump dumps(fake.dumps, helpers, fake.clock);
    EventReport events(fake.event_log);
    Platform platform = fake.platform();
    Supervision supervision(platform, values, cleanup, log, launch, restarts,
                            dumps, events);

    ASSERT_EQ(supervision.RunCycle(), std::nullopt);
    const int64_t seen = fake.clock.Read().running_ms;
    ASSERT_TRUE(supervision.NextDeadlineSeenMs().has_value());
    const int64_t due = *supervision.NextDeadlineSeenMs();
    EXPECT_EQ(due - seen, c.restart_s * 1000 - c.seen_ms);
    EXPECT_EQ(supervision.report_anchor_seen_ms(),
              seen - c.seen_ms + c.report_s * 1000);
    // The next cycle runs just after the report's next whole second.
    EXPECT_EQ(supervision.NextPauseMs(),
              1000 - c.seen_ms + Supervision::kWakeMarginMs);
    // Cycles a second apart, as the loop runs them, up to just before it.
    for (int64_t at = seen; at < due - 1;) {
      const int64_t step = std::min<int64_t>(1000, due - 1 - at);
      fake.clock.Advance(step);
      at += step;
      ASSERT_EQ(supervision.RunCycle(), std::nullopt);
    }
    fake.clock.Advance(1);
    EXPECT_EQ(supervision.RunCycle(), SupervisionEnd::kRestarted);
    EXPECT_EQ(fake.clock.Now(), nine + c.restart_s);
  }
}

}  // namespace
}  // namespace zarn
