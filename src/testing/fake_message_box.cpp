#include "testing/fake_message_box.h"

#include "common/text.h"

namespace zarn {

void FakeMessageBox::Show(std::u16string_view text, std::u16string_view title,
                          MessageKind kind) {
  Record(ShownMessage{std::u16string(text), std::u16string(title), kind,
                      std::nullopt});
}

MessageClosed FakeMessageBox::ShowFor(std::u16string_view text,
                                      std::u16string_view title,
                                      MessageKind kind, uint32_t timeout_ms) {
  Record(ShownMessage{std::u16string(text), std::u16string(title), kind,
                      timeout_ms});
  return unanswered_ ? MessageClosed::kTimedOut : MessageClosed::kByUser;
}

void FakeMessageBox::Record(ShownMessage message) {
  shown_.push_back(std::move(message));
  if (journal_) journal_->Record("box: " + Utf16ToUtf8(shown_.back().text));
  if (on_show_) on_show_(shown_.back());
}

}  // namespace zarn
