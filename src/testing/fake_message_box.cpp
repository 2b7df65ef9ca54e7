#include "testing/fake_message_box.h"

#include "common/text.h"

namespace zarn {

void FakeMessageBox::Show(std::u16string_view text, std::u16string_view title,
                          MessageKind kind) {
  shown_.push_back(
      ShownMessage{std::u16string(text), std::u16string(title), kind});
  if (journal_) journal_->Record("box: " + Utf16ToUtf8(text));
  if (on_show_) on_show_(shown_.back());
}

}  // namespace zarn
