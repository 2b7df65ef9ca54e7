// A message box that returns at once, as if the user pressed OK, and keeps
// what it was asked to show. A box with a time-out may instead be left
// unanswered, as on a screen nobody looks at.
#ifndef ZARN_TESTING_FAKE_MESSAGE_BOX_H_
#define ZARN_TESTING_FAKE_MESSAGE_BOX_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "testing/event_journal.h"

namespace zarn {

struct ShownMessage {
  std::u16string text;
  std::u16string title;
  MessageKind kind = MessageKind::kPlain;
  // ShowFor's time-out; nullopt for Show.
  std::optional<uint32_t> timeout_ms;
};

class FakeMessageBox final : public MessageBox {
 public:
  void Show(std::u16string_view text, std::u16string_view title,
            MessageKind kind) override;
  // Closed by the user, or with set_unanswered by its time-out, at once.
  MessageClosed ShowFor(std::u16string_view text, std::u16string_view title,
                        MessageKind kind, uint32_t timeout_ms) override;

  const std::vector<ShownMessage>& shown() const { return shown_; }
  // Records "box: <text>" in the journal.
  void set_journal(EventJournal* journal) { journal_ = journal; }
  // Runs while the box is "open", before Show returns.
  void set_on_show(std::function<void(const ShownMessage&)> hook) {
    on_show_ = std::move(hook);
  }
  // Nobody answers: boxes with a time-out close by it.
  void set_unanswered(bool unanswered) { unanswered_ = unanswered; }

 private:
  void Record(ShownMessage message);

  std::vector<ShownMessage> shown_;
  bool unanswered_ = false;
  EventJournal* journal_ = nullptr;
  std::function<void(const ShownMessage&)> on_show_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_MESSAGE_BOX_H_
