// The supervision on a wall clock that jumps: daylight-saving changes,
// steps of the clock and a sleep of the machine. Silence is counted on the
// running clock, so none of them restarts a healthy checker or spares a
// hung one.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "testing/fake_platform.h"
#include "watchdog/main_mod.h"
#include "watchdog/supervision.h"

namespace zarn {
namespace {

constexpr int64_t kHour = 3600;
constexpr char16_t kClockLogPath[] = u"C:\\Logs\\daemon.log";

// What happens just before the cycle at a second of running time, counted
// from the daemon's start, or at kStartUp, while start-up shows a message
// (CANCELTIME is malformed, and falls back to 00:05:00).
// Events of the same second happen in the order listed.
struct Event {
  int64_t at;
  int64_t wall_step = 0;  // seconds the wall clock alone moves
  bool report = false;    // then the checker reports its wall clock's time
  int64_t asleep = 0;     // then the machine sleeps for so many seconds
  int64_t paused = 0;     // then the daemon is paused for so many seconds
  // Then the system announces a suspend (true) or a resume.
  std::optional<bool> suspend = std::nullopt;
};
constexpr int64_t kStartUp = -1;

Event Report(int64_t at) { return Event{.at = at, .report = true}; }
Event Step(int64_t at, int64_t seconds) {
  return Event{.at = at, .wall_step = seconds};
}
Event Asleep(int64_t at, int64_t seconds) {
  return Event{.at = at, .asleep = seconds};
}
Event Paused(int64_t at, int64_t seconds) {
  return Event{.at = at, .paused = seconds};
}
Event Announce(int64_t at, bool suspend) {
  return Event{.at = at, .suspend = suspend};
}

struct Shown {
  std::u16string status;
  std::u16string status2;
};

// One daemon on a scripted checker, with CANCELTIME 00:05:00: the
// fallback of the malformed value whose message gives kStartUp its moment.
struct DaemonRun {
  int64_t end_at = -1;  // the running second of the last cycle
  bool restarted = false;
  std::string log;
  // The captions at the end of each cycle, by running second.
  std::map<int64_t, Shown> shown;

  Shown At(int64_t second) const {
    const auto it = shown.find(second);
    return it == shown.end() ? Shown{u"<no cycle>", u"<no cycle>"} : it->second;
  }
};

DaemonRun RunDaemon(DateTime start, FakeTimeZone zone,
                    const std::vector<Event>& events) {
  FakePlatform fake(start, zone);
  fake.settings.Set(settings::kDaemonCommand, u"RUN");
  fake.settings.Set(settings::kDaemonLog, kClockLogPath);
  fake.file_system.AddFolder(u"C:\\Logs");
  // Room for a restart that comes hours late, so that it fails as such.
  fake.clock.set_sleep_limit(20000);
  DaemonRun run;
  const auto running = [&] { return fake.clock.elapsed_ms() / 1000; };
  const auto record = [&](int64_t at) {
    run.shown[at] =
        Shown{fake.status_view.Caption(StatusLabel::kStatus).value_or(u"-"),
              fake.status_view.Caption(StatusLabel::kStatus2).value_or(u"-")};
  };
  const auto play = [&](int64_t at) {
    for (const Event& e : events) {
      if (e.at != at) continue;
      fake.clock.StepWall(e.wall_step * 1000);
      if (e.report) {
        fake.settings.Set(settings::kLiveStatusTime,
                          fake.regional.FormatDateTime(fake.clock.Now()));
      }
      fake.clock.Suspend(e.asleep * 1000);
      fake.clock.Pause(e.paused * 1000);
      if (e.suspend) fake.status_view.Announce(*e.suspend);
    }
  };
  fake.file_system.AddFile(u"C:\\Tools\\Daemon\\ZARN.cfg",
                           "[ZARN]\r\nCANCELTIME=5 Minuten\r\n");
  fake.message_box.set_on_show([&](const ShownMessage&) { play(kStartUp); });
  play(0);
  fake.clock.set_on_sleep([&] {
    record(running() - 1);
    play(running());
  });
  Platform platform = fake.platform();
  Main(platform);
  run.end_at = running();
  run.restarted = fake.settings.Has(settings::kStartedByDaemon);
  run.log = fake.file_appender.File(kClockLogPath).value_or("");
  return run;
}

std::string LogLine(const char* stamp) {
  return std::string(stamp) +
         ",0, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN "
         "'C:\\Tools\\Daemon\\'\"\r\n";
}

TEST(SupervisionClockTest,
     DaylightSavingChangesNeitherAgeNorRejuvenateReports) {
  // Each start lies a minute before a change. The checker reports every ten
  // seconds up to 50 s and falls silent, or reports once more at 70 s,
  // after the change; the limit then runs from that last report.
  struct Case {
    const char* name;
    FakeTimeZone zone;
    DateTime start;
    const char* silent_restart;  // local time of the restart at 351 s
    const char* later_restart;   // and at 371 s
  };
  const Case cases[] = {
      {"Berlin, spring", FakeTimeZone::EuropeBerlin(),
       DateTime::FromCivil(2026, 3, 29, 1, 59, 0), "29.03.2026 03:04:51",
       "29.03.2026 03:05:11"},
      {"Berlin, autumn", FakeTimeZone::EuropeBerlin(),
       DateTime::FromCivil(2026, 10, 25, 2, 59, 0), "25.10.2026 02:04:51",
       "25.10.2026 02:05:11"},
      {"Sydney, spring", FakeTimeZone::AustraliaSydney(),
       DateTime::FromCivil(2026, 10, 4, 1, 59, 0), "04.10.2026 03:04:51",
       "04.10.2026 03:05:11"},
      {"Sydney, autumn", FakeTimeZone::AustraliaSydney(),
       DateTime::FromCivil(2026, 4, 5, 2, 59, 0), "05.04.2026 02:04:51",
       "05.04.2026 02:05:11"},
  };
  for (const Case& c : cases) {
    for (const bool reports_after_change : {false, true}) {
      SCOPED_TRACE(std::string(c.name) +
                   (reports_after_change ? ", report after" : ", silent"));
      std::vector<Event> events;
      for (int64_t at = 0; at <= 50; at += 10) events.push_back(Report(at));
      if (reports_after_change) events.push_back(Report(70));
      const DaemonRun run = RunDaemon(c.start, c.zone, events);
      EXPECT_TRUE(run.restarted);
      EXPECT_EQ(run.end_at, reports_after_change ? 371 : 351);
      EXPECT_EQ(run.log, LogLine(reports_after_change ? c.later_restart
                                                      : c.silent_restart));
      EXPECT_EQ(run.At(60).status2, u"00:00:10");
      EXPECT_EQ(run.At(70).status2,
                reports_after_change ? u"00:00:00" : u"00:00:20");
    }
  }
}

TEST(SupervisionClockTest,
     WallClockStepsSleepAndPausesLeaveTheDeadlineInSeenTime) {
  // A report at 09:00:00 is overdue at 301 s of seen time, whatever the
  // wall clock does; with no report, the daemon gives up at 301 s. Seen
  // time is running time less the time the daemon was paused, bar a
  // cycle for each pause.
  struct Case {
    const char* name;
    std::vector<Event> events;
    int64_t end_at;
    bool restarted;
    int64_t look_at;  // the cycle whose captions are checked
    Shown shown;
    const char* log_stamp;  // nullptr: nothing logged
  };
  const Case cases[] = {
      {"+2 h a second before the deadline",
       {Report(0), Step(299, 2 * kHour)},
       301,
       true,
       299,
       {u"Starte neu in 00:00:01", u"00:04:59"},
       "07.12.2026 11:05:01"},
      {"-2 h a second before the deadline",
       {Report(0), Step(299, -2 * kHour)},
       301,
       true,
       299,
       {u"Starte neu in 00:00:01", u"00:04:59"},
       "07.12.2026 07:05:01"},
      {"+2 h a second after the deadline",
       {Report(0), Step(301, 2 * kHour)},
       301,
       true,
       300,
       {u"Starte neu in 00:00:00", u"00:05:00"},
       "07.12.2026 11:05:01"},
      {"-2 h a second after the deadline",
       {Report(0), Step(301, -2 * kHour)},
       301,
       true,
       300,
       {u"Starte neu in 00:00:00", u"00:05:00"},
       "07.12.2026 07:05:01"},
      {"countdown across +2 h",
       {Report(0), Step(200, 2 * kHour)},
       301,
       true,
       200,
       {u"Starte neu in 00:01:40", u"00:03:20"},
       "07.12.2026 11:05:01"},
      {"asleep for 8 h, then a fresh report",
       {Report(0), Step(100, 8 * kHour), Report(105)},
       406,
       true,
       104,
       {u"Starte neu in 00:03:16", u"00:01:44"},
       "07.12.2026 17:06:46"},
      {"a report after -2 h",
       {Report(0), Step(100, -2 * kHour), Report(101)},
       402,
       true,
       101,
       {u"Überwache...", u"00:00:00"},
       "07.12.2026 07:06:42"},
      {"a report after +2 h",
       {Report(0), Step(100, 2 * kHour), Report(101)},
       402,
       true,
       101,
       {u"Überwache...", u"00:00:00"},
       "07.12.2026 11:06:42"},
      {"never reported, +2 h",
       {Step(100, 2 * kHour)},
       301,
       false,
       100,
       {u"ZARN inaktiv, beende in 00:03:20", u""},
       nullptr},
      {"never reported, -2 h",
       {Step(100, -2 * kHour)},
       301,
       false,
       100,
       {u"ZARN inaktiv, beende in 00:03:20", u""},
       nullptr},
      {"+2 h while start-up shows a message",
       {Report(0), Step(kStartUp, 2 * kHour)},
       301,
       true,
       0,
       {u"Überwache...", u"00:00:00"},
       "07.12.2026 11:05:01"},
      {"-2 h while start-up shows a message",
       {Report(0), Step(kStartUp, -2 * kHour)},
       301,
       true,
       0,
       {u"Überwache...", u"00:00:00"},
       "07.12.2026 07:05:01"},
      {"paused for 10 min, then a fresh report",
       {Report(0), Paused(101, 600), Report(101)},
       1002,
       true,
       701,
       {u"Überwache...", u"00:00:00"},
       "07.12.2026 09:16:42"},
      {"paused for 10 min, the checker reported meanwhile",
       {Report(0), Paused(101, 200), Report(101), Paused(101, 400)},
       1000,
       true,
       701,
       {u"Überwache...", u"00:00:02"},
       "07.12.2026 09:16:40"},
      {"slow: a cycle every 4 s for a while",
       {Report(0), Paused(101, 3), Paused(105, 3), Paused(109, 3)},
       301,
       true,
       112,
       {u"Starte neu in 00:03:08", u"00:01:52"},
       "07.12.2026 09:05:01"},
      {"as slow, after a suspend was announced",
       {Report(0), Announce(100, true), Paused(101, 3), Paused(105, 3),
        Paused(109, 3), Announce(113, false)},
       310,
       true,
       112,
       {u"Starte neu in 00:03:17", u"00:01:43"},
       "07.12.2026 09:05:10"},
      {"a suspend announced, the resume never",
       {Report(0), Announce(100, true)},
       301,
       true,
       200,
       {u"Starte neu in 00:01:40", u"00:03:20"},
       "07.12.2026 09:05:01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DaemonRun run = RunDaemon(DateTime::FromCivil(2026, 12, 7, 9, 0, 0),
                                    FakeTimeZone::EuropeBerlin(), c.events);
    EXPECT_EQ(run.end_at, c.end_at);
    EXPECT_EQ(run.restarted, c.restarted);
    EXPECT_EQ(run.At(c.look_at).status, c.shown.status);
    EXPECT_EQ(run.At(c.look_at).status2, c.shown.status2);
    EXPECT_EQ(run.log, c.log_stamp ? LogLine(c.log_stamp) : "");
  }
}

TEST(SupervisionClockTest,
     StepOrSleepBetweenAReportAndTheNextReadChangesNoAge) {
  // The checker reports at 0 s and once more at 100 s; before the daemon
  // reads that report, the wall clock moves or the machine sleeps. The
  // report is fresh when read, and the restart comes 301 s after it.
  struct Case {
    const char* name;
    std::vector<Event> events;
    const char* log_stamp;
  };
  const Case cases[] = {
      {"no step", {Report(0), Report(100)}, "07.12.2026 09:06:41"},
      {"+2 h",
       {Report(0), Report(100), Step(100, 2 * kHour)},
       "07.12.2026 11:06:41"},
      {"-2 h",
       {Report(0), Report(100), Step(100, -2 * kHour)},
       "07.12.2026 07:06:41"},
      {"asleep for 9 h",
       {Report(0), Report(100), Asleep(100, 9 * kHour)},
       "07.12.2026 18:06:41"},
      {"asleep for 9 h, then set back 1 h",
       {Report(0), Report(100), Asleep(100, 9 * kHour), Step(100, -kHour)},
       "07.12.2026 17:06:41"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DaemonRun run = RunDaemon(DateTime::FromCivil(2026, 12, 7, 9, 0, 0),
                                    FakeTimeZone::EuropeBerlin(), c.events);
    EXPECT_TRUE(run.restarted);
    EXPECT_EQ(run.end_at, 401);
    EXPECT_EQ(run.At(100).status, u"Überwache...");
    EXPECT_EQ(run.At(100).status2, u"00:00:00");
    EXPECT_EQ(run.At(101).status2, u"00:00:01");
    EXPECT_EQ(run.At(400).status, u"Starte neu in 00:00:00");
    EXPECT_EQ(run.log, LogLine(c.log_stamp));
  }
}

TEST(SupervisionClockTest, DaylightSavingTurnedOffLeavesAFreshReportFresh) {
  // "Adjust for daylight saving time automatically" is off: in July the
  // system's clock, and so the checker, shows standard time. A report found
  // at the start, and one written later, are fresh.
  const FakeTimeZone berlin = FakeTimeZone::EuropeBerlin();
  struct Case {
    const char* name;
    FakeTimeZone zone;
  };
  const Case cases[] = {
      {"setting on", berlin},
      {"off, the rules know it", berlin.WithDaylightSavingOff(true)},
      {"off, the rules don't", berlin.WithDaylightSavingOff(false)},
  };
  for (const Case& c : cases) {
    for (const bool later_report : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (later_report ? ", later" : ""));
      std::vector<Event> events = {Report(0)};
      if (later_report) events.push_back(Report(100));
      const DaemonRun run =
          RunDaemon(DateTime::FromCivil(2026, 7, 15, 12, 0, 0), c.zone, events);
      EXPECT_EQ(run.end_at, later_report ? 401 : 301);
      EXPECT_EQ(run.At(0).status2, u"00:00:00");
      EXPECT_EQ(run.At(100).status2, later_report ? u"00:00:00" : u"00:01:40");
      EXPECT_EQ(run.log, LogLine(later_report ? "15.07.2026 12:06:41"
                                              : "15.07.2026 12:05:01"));
    }
  }
}

}  // namespace
}  // namespace zarn
