// The limit on restarts: at most RESTARTMAX restarts by the daemons of one
// user within the span RESTARTTIME, counted on the history that the
// settings value DaemonRestarts keeps across runs and reboots. The keys,
// their messages, the history, the window's count and the decision at a
// restart are all here; start-up and the supervision ask at named points.
//
// DaemonRestarts holds UTC times such as "2026-12-08T01:02:03Z", oldest
// first, separated by ";". Reading it is forgiving, so that no text in it
// can crash the daemon or block restarts for good:
//  - a piece that is no such time does not count; it is named in the log
//    and left out when the daemon writes the value again;
//  - a time later than now (the wall clock was set back since) counts as
//    now and is written back as now, so it leaves the span one span later;
//  - a time as old as the span or older has left it and is dropped.
#ifndef ZARN_WATCHDOG_RESTART_LIMIT_H_
#define ZARN_WATCHDOG_RESTART_LIMIT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/config_keys.h"
#include "common/date_time.h"
#include "common/time_limit.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/settings_store.h"
#include "platform/status_view.h"

namespace zarn {

class DaemonLog;

// RESTARTMAX within RESTARTTIME.
struct RestartQuota {
  int max_restarts = 0;  // RESTARTMAX, 1 to RestartLimit::kMostRestarts
  TimeLimit span;        // RESTARTTIME, at least one second

  // "1 von 3 innerhalb 01:00:00": what the status window shows.
  std::u16string Caption(int restarts) const;
};

// RESTARTMAX: a count from 1 to RestartLimit::kMostRestarts (ParseCount).
std::optional<int> ParseRestartMax(std::u16string_view text);
// RESTARTTIME: a limit text (hh:mm:ss) of at least one second.
std::optional<TimeLimit> ParseRestartSpan(std::u16string_view text);

// A UTC second (since 30 December 1899, 00:00:00 UTC) as the history
// writes it: "2026-12-08T01:02:03Z".
std::u16string FormatRestartTime(int64_t utc_seconds);
// Exactly that form, a real date of the years 1900 to 9999 and a time of
// day; nullopt for anything else.
std::optional<int64_t> ParseRestartTime(std::u16string_view text);

struct RestartHistory {
  // UTC seconds of the restarts within the span, oldest first.
  std::vector<int64_t> times;
  // The pieces that are no time, as found (blanks trimmed).
  std::vector<std::u16string> unreadable;
  // Whether writing `times` back would change the value: something was
  // dropped, moved from the future, put in order or written otherwise.
  bool changed = false;
};

// The history in `text` as it stands at `now_utc_seconds` for `span`. At
// most RestartLimit::kMostRestarts times are kept, the youngest.
RestartHistory ReadRestartHistory(std::u16string_view text,
                                  int64_t now_utc_seconds,
                                  const TimeLimit& span);
// The log message that names the unreadable pieces: at most the first
// three, each cut to 40 characters, then how many more there were.
std::u16string UnreadableRestartsMessage(
    const std::vector<std::u16string>& unreadable);

// The value DaemonRestarts takes for `times`.
std::u16string FormatRestartHistory(const std::vector<int64_t>& times);

// The notice at a refusal: that ZARN was ended at `when` (a regional
// date-time text) and not restarted, why, and what to do about it.
std::u16string RefusalNotice(const RestartQuota& quota,
                             std::u16string_view when,
                             std::u16string_view workbook);

// The limit as one daemon lives it. Without a quota it is off: it reads,
// writes and shows nothing, and every restart may go on.
class RestartLimit {
 public:
  // The largest RESTARTMAX; also the most times the history keeps.
  static constexpr int kMostRestarts = 999;
  // How long the notice at a refusal waits for someone to close it: long
  // enough for a person who comes back the same day, or the next morning
  // after a run in the evening, to still find it; bounded, so that on a
  // screen nobody looks at (a disconnected session of a terminal server)
  // the daemons that refused do not stay for days. The log keeps the
  // refusal either way.
  static constexpr uint32_t kNoticeMs = 12 * 60 * 60 * 1000;

  RestartLimit(SettingsStore& settings, StatusView& view)
      : settings_(settings), view_(view) {}
  RestartLimit(const RestartLimit&) = delete;
  RestartLimit& operator=(const RestartLimit&) = delete;

  // Start-up: RESTARTMAX and RESTARTTIME of the selected section; a quota
  // only when both are there and well formed. Gives a message for anything
  // else but two missing keys, in the order found.
  std::vector<std::u16string> ReadKeys(const ConfigSection& section);
  // nullopt: restarts are not limited.
  const std::optional<RestartQuota>& quota() const { return quota_; }
  // Start-up, once the window is up (`shown`: the clocks just after it
  // appeared): reads DaemonRestarts and shows the restarts within the span.
  void ShowCountOnceShown(const ClockReading& shown);
  // For each restart within the span when the window was shown, the
  // running time at which it leaves the span.
  const std::vector<int64_t>& restarts_leave_span_running_ms() const {
    return leave_span_running_ms_;
  }

  // Every cycle: sets the window's count anew when a restart has left the
  // span since; no settings read.
  void UpdateCount(const ClockReading& now);

  // A restart, in this order. First the history, read afresh: another
  // daemon of the user may have restarted its checker since this one
  // started. A restart the user asked for is neither refused nor counted,
  // so nothing is read for it.
  void ReadHistory(const ClockReading& now, bool asked_by_user);
  // Names in `log` the pieces of that history that are no time.
  void LogUnreadable(DaemonLog& log, DateTime when) const;
  // Those pieces; empty when the restart is not counted.
  const std::vector<std::u16string>& unreadable() const;
  // May the checker restart? If so, the restart is recorded at once; if
  // not, the history is written back only where reading changed it.
  bool AdmitRestart(const ClockReading& now);
  // The line in `log` that says why `workbook` is not reopened.
  void LogRefusal(DaemonLog& log, DateTime when,
                  std::u16string_view workbook) const;
  // The person at the screen is told in a box like the start-up's, which
  // closes after kNoticeMs unless someone closes it first. `when` is the
  // refusal's regional date-time text. Returns when the box has gone.
  // Shown only once the supervision has ended, so that it holds nothing up.
  void TellRefusal(MessageBox& box, std::u16string_view when,
                   std::u16string_view workbook) const;

 private:
  SettingsStore& settings_;
  StatusView& view_;
  std::optional<RestartQuota> quota_;
  std::vector<int64_t> leave_span_running_ms_;
  // The count of restarts within the span that the window shows.
  size_t count_shown_ = 0;
  // The history read for this restart; nullopt when it is not counted.
  std::optional<RestartHistory> history_;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_RESTART_LIMIT_H_
