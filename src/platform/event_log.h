// The Windows event log, where administrators watch what the daemon did:
// events of the daemon's own source in the Application log.
#ifndef ZARN_PLATFORM_EVENT_LOG_H_
#define ZARN_PLATFORM_EVENT_LOG_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

// The source the daemon's events carry, and the name of its registration
// under kEventSourceKeyPath (machine_registry.h).
inline constexpr std::u16string_view kEventSourceName = u"ZARNDaemon";
// ReportEventW's limit on each insertion string, in UTF-16 code units.
inline constexpr size_t kInsertionStringLimit = 31839;

// The level Event Viewer shows, and that a monitoring rule filters on.
enum class EventLevel { kInformation, kWarning, kError };

struct Event {
  EventLevel level = EventLevel::kInformation;
  // One of the message table's categories, counted from 1; 0 for none.
  uint16_t category = 0;
  // The event ID Event Viewer shows, which is also the ID of the message
  // in the exe's message table that describes the event.
  uint16_t id = 0;
  // The insertion strings, in the order of %1, %2, ... in that message.
  std::vector<std::u16string> strings;

  bool operator==(const Event&) const = default;
};

class EventLog {
 public:
  EventLog() = default;
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;
  virtual ~EventLog() = default;

  // Appends `event` to the Application log under kEventSourceName. True
  // when the log took it. False when the source can't be opened (the event
  // log service is stopped, or refuses us) or the event was refused. The
  // source need not be registered: Windows logs the event all the same,
  // and Event Viewer then shows the insertion strings without the
  // message's words. Shows nothing and never retries.
  // REQUIRES: every string holds at most kInsertionStringLimit code units
  // and no NUL.
  virtual bool Report(const Event& event) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_EVENT_LOG_H_
