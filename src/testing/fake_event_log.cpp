#include "testing/fake_event_log.h"

#include <string>

namespace zarn {

bool FakeEventLog::Report(const Event& event) {
  ++report_count_;
  if (refuse_) return false;
  events_.push_back(event);
  if (journal_) journal_->Record("event: " + std::to_string(event.id));
  return true;
}

}  // namespace zarn
