// The limit on restarts seen from the whole daemon: what it counts, what it
// refuses, what it leaves in the store, the log and the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testing/fake_platform.h"
#include "testing/reporting_checker.h"
#include "watchdog/main_mod.h"
#include "watchdog/restart_limit.h"

namespace zarn {
namespace {

constexpr char16_t kConfig[] = u"C:\\Tools\\Daemon\\ZARN.cfg";
// The checker reported at 09:00:00 in Berlin (08:00:00 UTC) and hangs: the
// daemon's restart falls due at 09:05:01, 08:05:01 UTC.
constexpr char16_t kDueUtc[] = u"2026-12-07T08:05:01Z";

class RestartLimitSupervisionTest : public ::testing::Test {
 protected:
  RestartLimitSupervisionTest() {
    PrepareReportingChecker(fake_);
    fake_.file_system.AddFile(
        kConfig, "[ZARN]\r\nRESTARTMAX=2\r\nRESTARTTIME=01:00:00\r\n");
    // The hung Excel and its list entry.
    fake_.windows.AddWindow(u"XLMain", kCaption);
    fake_.processes.AddProcess(77, u"EXCEL.EXE");
    fake_.settings.Set(settings::kProcessIds, u"(77)");
    fake_.clock.set_sleep_limit(7200);
  }

  void RunMain() {
    Platform platform = fake_.platform();
    EXPECT_EQ(Main(platform), 0);
    EXPECT_TRUE(fake_.status_view.unloaded());
    EXPECT_EQ(fake_.status_view.calls_after_unload(), 0);
  }
  static std::string LogLine(const std::string& stamp,
                             const std::string& message) {
    return stamp + ",0, Typ: 7, ID: 0, \"Err: " + message + "\"\r\n";
  }
  bool Wrote(std::u16string_view key) const {
    const auto& writes = fake_.settings.writes();
    return std::any_of(writes.begin(), writes.end(),
                       [&](const auto& w) { return w.first == key; });
  }
  size_t IndexOfWrite(std::u16string_view key) const {
    const auto& writes = fake_.settings.writes();
    for (size_t i = 0; i < writes.size(); ++i) {
      if (writes[i].first == key) return i;
    }
    return writes.size();
  }
  int ReadsOf(std::u16string_view key) const {
    const auto& reads = fake_.settings.reads();
    return static_cast<int>(
        std::count(reads.begin(), reads.end(), std::u16string(key)));
  }

  FakePlatform fake_;
};

TEST_F(RestartLimitSupervisionTest, AtTheLimitClearsAwayButNeverReopens) {
  const std::u16string two = u"2026-12-07T07:30:00Z;2026-12-07T07:45:00Z";
  fake_.settings.Set(settings::kDaemonRestarts, two);
  fake_.command_line = u"/x 1";  // "Start Prog 2" belongs to a restart
  fake_.instance_lock.set_journal(&fake_.journal);
  RunMain();
  EXPECT_EQ(fake_.clock.Now(), DateTime::FromCivil(2026, 12, 7, 9, 5, 1));
  // Cleared away as at every restart...
  EXPECT_FALSE(fake_.processes.IsRunning(77));
  EXPECT_EQ(fake_.settings.Get(settings::kLiveStatusTime),
            fake_.regional.FormatDateTime(kNeverReported));
  // ...but nothing handed over, counted or started.
  EXPECT_FALSE(Wrote(settings::kStartedByDaemon));
  EXPECT_FALSE(Wrote(settings::kCommand));
  EXPECT_FALSE(Wrote(settings::kDaemonRestarts));
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonRestarts), two);
  EXPECT_TRUE(fake_.shell.lookups().empty());
  EXPECT_EQ(fake_.shell.start_attempts(), 0);
  // The one box is the notice, once the daemon has let go and unloaded.
  ASSERT_EQ(fake_.message_box.shown().size(), 1u);
  const ShownMessage& notice = fake_.message_box.shown()[0];
  EXPECT_EQ(notice.text,
            u"ZARN wurde am 07.12.2026 09:05:01 beendet und nicht neu "
            u"gestartet, weil es innerhalb 01:00:00 bereits 2-mal neu "
            u"gestartet werden musste. Prüfen Sie, warum ZARN hängen bleibt, "
            u"und starten Sie danach 'C:\\Tools\\Daemon\\Check.xls' von "
            u"Hand neu.");
  EXPECT_EQ(notice.title, u"ZARN Daemon (Build: 1-0-0)");
  EXPECT_EQ(notice.kind, MessageKind::kCriticalSystemModal);
  EXPECT_EQ(notice.timeout_ms, RestartLimit::kNoticeMs);
  EXPECT_EQ(fake_.journal.events().back().substr(0, 5), "box: ");
  EXPECT_LT(fake_.journal.IndexOf("release"), fake_.journal.IndexOf("box: "));
  EXPECT_LT(fake_.journal.IndexOf("unload"), fake_.journal.IndexOf("box: "));
  EXPECT_EQ(fake_.file_appender.File(kLogPath),
            LogLine("07.12.2026 09:05:01",
                    "ZARND: Kein Neustart von ZARN "
                    "'C:\\Tools\\Daemon\\Check.xls': Grenze von 2 Neustarts "
                    "innerhalb 01:00:00 erreicht"));
  EXPECT_EQ(fake_.status_view.hide_count(), 1);
  EXPECT_EQ(fake_.status_view.CaptionsOf(StatusLabel::kRestarts),
            std::vector<std::u16string>{u"2 von 2 innerhalb 01:00:00"});
}

TEST_F(RestartLimitSupervisionTest, BelowTheLimitCountsBeforeTheHandOver) {
  struct Case {
    const char* name;
    const char16_t* before;
    std::u16string after;
    std::string unreadable_line;
  };
  const Case cases[] = {
      {"none yet", u"", kDueUtc, ""},
      {"one within the hour", u"2026-12-07T07:30:00Z",
       std::u16string(u"2026-12-07T07:30:00Z;") + kDueUtc, ""},
      // An hour old at 08:05:01 has left the span; a second younger not.
      {"old ones pruned", u"2026-12-07T07:05:01Z;2026-12-07T07:05:02Z",
       std::u16string(u"2026-12-07T07:05:02Z;") + kDueUtc, ""},
      {"unreadable dropped and logged",
       u"kaputt;2026-12-07T07:30:00Z;;1.1.2026",
       std::u16string(u"2026-12-07T07:30:00Z;") + kDueUtc,
       "ZARND: Unlesbare Eintr\xE4ge in DaemonRestarts verworfen: 'kaputt', "
       "'1.1.2026'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    PrepareReportingChecker(fake);
    fake.settings.Set(settings::kDaemonRestarts, c.before);
    fake.file_system.AddFile(
        kConfig, "[ZARN]\r\nRESTARTMAX=2\r\nRESTARTTIME=01:00:00\r\n");
    fake.clock.set_sleep_limit(1000);
    Platform platform = fake.platform();
    Main(platform);
    EXPECT_EQ(fake.settings.Get(settings::kDaemonRestarts), c.after);
    EXPECT_EQ(fake.settings.Get(settings::kStartedByDaemon), u"True");
    EXPECT_EQ(fake.shell.started().size(), 1u);
    // Counted first: the restarted checker finds its own restart counted.
    const auto& writes = fake.settings.writes();
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes[writes.size() - 3].first, settings::kDaemonRestarts);
    EXPECT_EQ(writes[writes.size() - 2].first, settings::kStartedByDaemon);
    const std::string start =
        LogLine("07.12.2026 09:05:01",
                "ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls'");
    EXPECT_EQ(fake.file_appender.File(kLogPath),
              c.unreadable_line.empty()
                  ? start
                  : LogLine("07.12.2026 09:05:01", c.unreadable_line) + start);
  }
}

TEST_F(RestartLimitSupervisionTest, TimesFromTheFutureCountAndComeBackAsNow) {
  // The clock was set back by a day after two restarts.
  fake_.settings.Set(settings::kDaemonRestarts,
                     u"2026-12-08T07:30:00Z;2026-12-08T07:45:00Z");
  RunMain();
  EXPECT_FALSE(Wrote(settings::kStartedByDaemon));
  EXPECT_EQ(fake_.shell.start_attempts(), 0);
  // They leave the span an hour from now, not a day and an hour.
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonRestarts),
            std::u16string(kDueUtc) + u";" + kDueUtc);
}

TEST_F(RestartLimitSupervisionTest, NeuStartenIsNeverRefusedNorCounted) {
  const std::u16string two = u"2026-12-07T07:30:00Z;2026-12-07T07:45:00Z";
  fake_.settings.Set(settings::kDaemonRestarts, two);
  fake_.status_view.PressOnCall(1, UserAction::kNeuStarten);
  RunMain();
  EXPECT_FALSE(fake_.processes.IsRunning(77));
  EXPECT_EQ(fake_.settings.Get(settings::kStartedByDaemon), u"True");
  EXPECT_EQ(fake_.settings.Get(settings::kCommand), u"RUN");
  EXPECT_EQ(fake_.shell.started().size(), 1u);
  EXPECT_FALSE(Wrote(settings::kDaemonRestarts));
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonRestarts), two);
  // Read once, for the window; the button's restart does not look.
  EXPECT_EQ(ReadsOf(settings::kDaemonRestarts), 1);
  EXPECT_EQ(fake_.file_appender.File(kLogPath),
            LogLine("07.12.2026 09:00:00",
                    "ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls'"));
}

TEST_F(RestartLimitSupervisionTest, WithoutTheKeysTheValueIsNeverTouched) {
  fake_.file_system.AddFile(kConfig, "[ZARN]\r\nCANCELTIME=00:05:00\r\n");
  fake_.settings.Set(settings::kDaemonRestarts,
                     u"2026-12-07T07:30:00Z;2026-12-07T07:45:00Z");
  RunMain();
  EXPECT_EQ(fake_.settings.Get(settings::kStartedByDaemon), u"True");
  EXPECT_EQ(fake_.shell.started().size(), 1u);
  EXPECT_EQ(ReadsOf(settings::kDaemonRestarts), 0);
  EXPECT_FALSE(Wrote(settings::kDaemonRestarts));
  EXPECT_FALSE(fake_.status_view.Caption(StatusLabel::kRestarts));
}

TEST_F(RestartLimitSupervisionTest, WindowCountFallsAsRestartsLeaveTheSpan) {
  // Two restarts 50 and 30 minutes ago; the checker reports each second
  // until 09:35, then hangs. At 09:40:01 the span holds none any more.
  fake_.settings.Set(settings::kDaemonRestarts,
                     u"2026-12-07T07:10:00Z;2026-12-07T07:30:00Z");
  std::vector<std::pair<DateTime, std::u16string>> shown;
  fake_.clock.set_on_sleep([&] {
    const DateTime now = fake_.clock.Now();
    // What the cycle before this pause ended with.
    shown.emplace_back(
        now - 1,
        fake_.status_view.Caption(StatusLabel::kRestarts).value_or(u"-"));
    if (now <= DateTime::FromCivil(2026, 12, 7, 9, 35, 0)) {
      fake_.settings.Set(settings::kLiveStatusTime,
                         fake_.regional.FormatDateTime(now));
    }
  });
  RunMain();
  auto at = [&](int minute, int second) {
    const DateTime when = DateTime::FromCivil(2026, 12, 7, 9, minute, second);
    for (const auto& [time, caption] : shown) {
      if (time == when) return caption;
    }
    return std::u16string(u"no cycle");
  };
  EXPECT_EQ(at(0, 1), u"2 von 2 innerhalb 01:00:00");
  EXPECT_EQ(at(9, 59), u"2 von 2 innerhalb 01:00:00");
  EXPECT_EQ(at(10, 0), u"1 von 2 innerhalb 01:00:00");
  EXPECT_EQ(at(29, 59), u"1 von 2 innerhalb 01:00:00");
  EXPECT_EQ(at(30, 0), u"0 von 2 innerhalb 01:00:00");
  EXPECT_EQ(fake_.status_view.CaptionsOf(StatusLabel::kRestarts).size(), 3u);
  // Overdue at 09:40:01 with none left in the span: restarted and counted.
  EXPECT_EQ(fake_.clock.Now(), DateTime::FromCivil(2026, 12, 7, 9, 40, 1));
  EXPECT_EQ(fake_.settings.Get(settings::kStartedByDaemon), u"True");
  EXPECT_EQ(fake_.settings.Get(settings::kDaemonRestarts),
            u"2026-12-07T08:40:01Z");
  // The history is read at start-up and at the restart, never per cycle.
  EXPECT_EQ(ReadsOf(settings::kDaemonRestarts), 2);
}

}  // namespace
}  // namespace zarn
