// One ordered record of what the fakes saw, shared between them, so that a
// test can say "the message box came before the log line and the launch".
#ifndef ZARN_TESTING_EVENT_JOURNAL_H_
#define ZARN_TESTING_EVENT_JOURNAL_H_

#include <string>
#include <string_view>
#include <vector>

namespace zarn {

class EventJournal {
 public:
  void Record(std::string event) { events_.push_back(std::move(event)); }
  const std::vector<std::string>& events() const { return events_; }
  // The position of the first event that begins with `prefix`, or -1.
  int IndexOf(std::string_view prefix) const {
    for (size_t i = 0; i < events_.size(); ++i) {
      if (std::string_view(events_[i]).substr(0, prefix.size()) == prefix) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  bool Contains(std::string_view prefix) const { return IndexOf(prefix) >= 0; }

 private:
  std::vector<std::string> events_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_EVENT_JOURNAL_H_
