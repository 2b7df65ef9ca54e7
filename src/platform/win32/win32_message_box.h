// Message boxes through MessageBoxW, titled like a VB program's MsgBox.
#ifndef ZARN_PLATFORM_WIN32_WIN32_MESSAGE_BOX_H_
#define ZARN_PLATFORM_WIN32_WIN32_MESSAGE_BOX_H_

#include <memory>

#include "platform/message_box.h"

namespace zarn {

// An empty title gives the executable's base name without its extension,
// the title a VB MsgBox takes from App.Title.
std::unique_ptr<MessageBox> NewWin32MessageBox();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_MESSAGE_BOX_H_
