// The limit on restarts: at most RESTARTMAX restarts by the daemons of one
// user within the span RESTARTTIME, counted on the history that the
// settings value DaemonRestarts keeps across runs and reboots.
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

#include "common/time_limit.h"

namespace zarn {

struct RestartLimit {
  // The largest RESTARTMAX; also the most times the history keeps.
  static constexpr int kMostRestarts = 999;

  int max_restarts = 0;  // RESTARTMAX, 1 to kMostRestarts
  TimeLimit span;        // RESTARTTIME, at least one second

  // "1 von 3 innerhalb 01:00:00": what the status window shows.
  std::u16string Caption(int restarts) const;
};

// RESTARTMAX: one to three ASCII digits, 1 to 999 ("007" is 7).
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

}  // namespace zarn

#endif  // ZARN_WATCHDOG_RESTART_LIMIT_H_
