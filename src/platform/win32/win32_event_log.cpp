#include "platform/win32/win32_event_log.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

WORD EventType(EventLevel level) {
  switch (level) {
    case EventLevel::kWarning:
      return EVENTLOG_WARNING_TYPE;
    case EventLevel::kError:
      return EVENTLOG_ERROR_TYPE;
    case EventLevel::kInformation:
      break;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

class Win32EventLog final : public EventLog {
 public:
  explicit Win32EventLog(std::u16string_view source)
      : source_name_(win32::ToWide(source)) {}

  bool Report(const Event& event) override {
    // Opened at the first event: a run with nothing to report never talks
    // to the event log service. A source that can't be opened is asked
    // again at the next event; the daemon stops after the first failure.
    if (!source_) {
      source_.reset(::RegisterEventSourceW(nullptr, source_name_.c_str()));
      if (!source_) return false;
    }
    std::vector<std::wstring> texts;
    texts.reserve(event.strings.size());
    for (const std::u16string& s : event.strings) {
      texts.push_back(win32::ToWide(s));
    }
    std::vector<LPCWSTR> strings;
    for (const std::wstring& t : texts) strings.push_back(t.c_str());
    // The event ID is the message's ID in the message table as it stands:
    // severity, customer bit and facility are all zero, so Event Viewer
    // shows the same number and the level comes from the type alone.
    return ::ReportEventW(source_.get(), EventType(event.level), event.category,
                          event.id, nullptr, static_cast<WORD>(strings.size()),
                          0, strings.empty() ? nullptr : strings.data(),
                          nullptr) != FALSE;
  }

 private:
  std::wstring source_name_;
  win32::UniqueEventSource source_;
};

}  // namespace

std::unique_ptr<EventLog> NewWin32EventLog(std::u16string_view source) {
  return std::make_unique<Win32EventLog>(source);
}

}  // namespace zarn
