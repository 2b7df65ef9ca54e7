// The daemon's actions as events in the Windows event log, for those who
// watch it: one event per action, with the facts of its log line. Event
// Viewer takes the words from the exe's message table (zarn_events.mc), so
// the event carries only the facts, as insertion strings. An event never
// holds up or changes what the daemon does: the first one the log refuses
// ends the events for the rest of the run, without a word.
#ifndef ZARN_WATCHDOG_EVENT_REPORT_H_
#define ZARN_WATCHDOG_EVENT_REPORT_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/time_limit.h"
#include "platform/event_log.h"

namespace zarn {

// The categories are the message table's first messages; the event IDs
// are the numbers of its other messages, and the numbers Event Viewer
// shows. docs/deployment.md lists them for monitoring rules: the three
// must stay in step.
namespace event_ids {
inline constexpr uint16_t kCategoryRestart = 1;        // "Neustart"
inline constexpr uint16_t kCategorySupervision = 2;    // "Überwachung"
inline constexpr uint16_t kCategoryDump = 3;           // "Dump"
inline constexpr uint16_t kCategoryConfiguration = 4;  // "Konfiguration"
inline constexpr uint16_t kCategoryCount = 4;

inline constexpr uint16_t kRestart = 1000;
inline constexpr uint16_t kRestartByUser = 1001;
inline constexpr uint16_t kStartFailed = 1002;
inline constexpr uint16_t kRestartRefused = 1010;
inline constexpr uint16_t kUnreadableRestarts = 1011;
inline constexpr uint16_t kNeverReported = 2000;
inline constexpr uint16_t kSecondInstance = 2001;
inline constexpr uint16_t kDumpWritten = 3000;
inline constexpr uint16_t kDumpSkipped = 3001;
inline constexpr uint16_t kMalformedConfiguration = 4000;

inline constexpr uint16_t kAllEvents[] = {kRestart,
                                          kRestartByUser,
                                          kStartFailed,
                                          kRestartRefused,
                                          kUnreadableRestarts,
                                          kNeverReported,
                                          kSecondInstance,
                                          kDumpWritten,
                                          kDumpSkipped,
                                          kMalformedConfiguration};
}  // namespace event_ids

// The key of [ZARN] that turns the events off.
inline constexpr std::u16string_view kEventLogKey = u"EREIGNISPROTOKOLL";

struct EventLogSwitch {
  bool on = true;
  // What start-up shows for a malformed value; empty for a good one.
  std::u16string malformed_message;
};
// EREIGNISPROTOKOLL as the reader gives it: "0" turns the events off; "1",
// an empty value and a missing key leave them on. Anything else is
// malformed and leaves them on too: a value that was meant to silence the
// daemon is shown at start-up rather than taken for the events the
// administrator may be waiting for.
EventLogSwitch ReadEventLogSwitch(std::u16string_view value);

// An insertion string at most this long, in UTF-16 code units.
inline constexpr size_t kInsertionTextLimit = 4000;
// `text` as an insertion string that leaves the event whole, whatever the
// checker wrote: line breaks become one "¶" each; other control
// characters, unpaired surrogates and the non-characters U+FFFE and
// U+FFFF become U+FFFD; every "%" becomes the full-width "％" (U+FF05),
// since Event Viewer expands %1, %%1 and %{...} in insertion strings again
// and has no escape for them. A result longer than kInsertionTextLimit
// keeps its beginning and its end, with a marker between them that says
// how many characters were left out.
std::u16string InsertionText(std::u16string_view text);

// "hh:mm:ss" of a span in seconds, the hours as many as it takes; a
// negative span (a report from the future) with a "-" in front.
std::u16string SpanText(int64_t seconds);

// Why a restart came.
enum class RestartCause {
  kSilence,  // the last report was older than the limit
  kUser,     // "Jetzt neu starten"
};

class EventReport {
 public:
  explicit EventReport(EventLog& log) : log_(log) {}
  EventReport(const EventReport&) = delete;
  EventReport& operator=(const EventReport&) = delete;

  // EREIGNISPROTOKOLL: false writes nothing from now on.
  void set_enabled(bool enabled) { enabled_ = enabled; }

  // One function per action; each writes at most one event and returns
  // at once. `workbook` is the path the log line quotes.
  void ReportRestart(RestartCause cause, std::u16string_view workbook,
                     int64_t report_age_seconds, const TimeLimit& limit);
  void ReportStartFailed(std::u16string_view workbook, uint32_t error);
  void ReportRestartRefused(std::u16string_view workbook, int max_restarts,
                            const TimeLimit& span);
  void ReportUnreadableRestarts(const std::vector<std::u16string>& entries);
  // The checker never reported within `limit` of the window's showing.
  void ReportNeverReported(const TimeLimit& limit);
  // `exe_path`: the daemon that ends because another one runs.
  void ReportSecondInstance(std::u16string_view exe_path);
  void ReportDumpWritten(uint32_t process_id, std::u16string_view file);
  // `reason`: the log line's sentence after "Kein Dump von Prozess N: ".
  void ReportDumpSkipped(uint32_t process_id, std::u16string_view reason);
  // `message`: the text of the start-up's message box.
  void ReportMalformedConfiguration(std::u16string_view config_file,
                                    std::u16string_view message);

 private:
  void Write(EventLevel level, uint16_t category, uint16_t id,
             std::initializer_list<std::u16string_view> strings);

  EventLog& log_;
  bool enabled_ = true;
  bool failed_ = false;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_EVENT_REPORT_H_
