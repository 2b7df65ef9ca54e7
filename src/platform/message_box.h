// Modal message boxes: the start-up warnings, "Start Prog 2", "Error!" and
// the notice at the restart limit.
#ifndef ZARN_PLATFORM_MESSAGE_BOX_H_
#define ZARN_PLATFORM_MESSAGE_BOX_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

enum class MessageKind {
  // OK button alone, no icon, modal to the application.
  kPlain,
  // Critical-error icon, OK button alone, system-modal.
  kCriticalSystemModal,
};

// How a box that closes by itself went.
enum class MessageClosed {
  kByUser,    // someone pressed OK (or Enter, Esc, the close box)
  kTimedOut,  // nobody did within the time; the box closed itself
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

  // Shows the box like Show, but closes it as if OK were pressed once
  // `timeout_ms` have passed without an answer, so that a box on a screen
  // nobody looks at does not keep the process for good.
  // REQUIRES: 0 < timeout_ms <= 0x7FFFFFFF, a Windows timer's longest.
  virtual MessageClosed ShowFor(std::u16string_view text,
                                std::u16string_view title, MessageKind kind,
                                uint32_t timeout_ms) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_MESSAGE_BOX_H_
