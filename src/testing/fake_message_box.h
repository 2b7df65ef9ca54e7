// A message box that returns at once, as if the user pressed OK, and keeps
// what it was asked to show.
#ifndef ZARN_TESTING_FAKE_MESSAGE_BOX_H_
#define ZARN_TESTING_FAKE_MESSAGE_BOX_H_

#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "testing/event_journal.h"

namespace zarn {

struct ShownMessage {
  std::u16string text;
  std::u16string title;
  MessageKind kind = MessageKind::kPlain;
};

class FakeMessageBox final : public MessageBox {
 public:
  void Show(std::u16string_view text, std::u16string_view title,
            MessageKind kind) override;

  const std::vector<ShownMessage>& shown() const { return shown_; }
  // Records "box: <text>" in the journal.
  void set_journal(EventJournal* journal) { journal_ = journal; }
  // Runs while the box is "open", before Show returns.
  void set_on_show(std::function<void(const ShownMessage&)> hook) {
    on_show_ = std::move(hook);
  }

 private:
  std::vector<ShownMessage> shown_;
  EventJournal* journal_ = nullptr;
  std::function<void(const ShownMessage&)> on_show_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_MESSAGE_BOX_H_
