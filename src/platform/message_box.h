// Modal message boxes: the start-up warnings, "Start Prog 2" and "Error!".
#ifndef ZARN_PLATFORM_MESSAGE_BOX_H_
#define ZARN_PLATFORM_MESSAGE_BOX_H_

#include <string>
#include <string_view>

namespace zarn {

enum class MessageKind {
  // OK button alone, no icon, modal to the application.
  kPlain,
  // Critical-error icon, OK button alone, system-modal.
  kCriticalSystemModal,
};

class MessageBox {
 public:
  MessageBox() = default;
  MessageBox(const MessageBox&) = delete;
  MessageBox& operator=(const MessageBox&) = delete;
  virtual ~MessageBox() = default;

  // Shows the box and returns when the user has closed it. An empty title
  // gives the application's default title.
  virtual void Show(std::u16string_view text, std::u16string_view title,
                    MessageKind kind) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_MESSAGE_BOX_H_
