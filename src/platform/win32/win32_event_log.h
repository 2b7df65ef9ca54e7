// The daemon's events in the Application log, through ReportEventW.
#ifndef ZARN_PLATFORM_WIN32_WIN32_EVENT_LOG_H_
#define ZARN_PLATFORM_WIN32_WIN32_EVENT_LOG_H_

#include <memory>
#include <string_view>

#include "platform/event_log.h"

namespace zarn {

// Events of the source `source`; the daemon's is kEventSourceName.
std::unique_ptr<EventLog> NewWin32EventLog(
    std::u16string_view source = kEventSourceName);

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_EVENT_LOG_H_
