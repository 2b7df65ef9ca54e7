// An event log that keeps every event it took, in order; a test can make
// it refuse, as a stopped event log service does.
#ifndef ZARN_TESTING_FAKE_EVENT_LOG_H_
#define ZARN_TESTING_FAKE_EVENT_LOG_H_

#include <vector>

#include "platform/event_log.h"
#include "testing/event_journal.h"

namespace zarn {

class FakeEventLog final : public EventLog {
 public:
  bool Report(const Event& event) override;

  // The events taken; refused ones are not among them.
  const std::vector<Event>& events() const { return events_; }
  // Every call, refused ones included.
  int report_count() const { return report_count_; }
  // From now on every event is refused (or taken again).
  void set_refuse(bool refuse) { refuse_ = refuse; }
  // Records "event: <id>" in the journal for each event taken.
  void set_journal(EventJournal* journal) { journal_ = journal; }

 private:
  std::vector<Event> events_;
  int report_count_ = 0;
  bool refuse_ = false;
  EventJournal* journal_ = nullptr;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_EVENT_LOG_H_
