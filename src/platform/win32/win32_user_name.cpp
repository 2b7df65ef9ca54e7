#include "platform/win32/win32_user_name.h"

#include <windows.h>
// lmcons.h needs windows.h first.
#include <lmcons.h>

#include <cstring>

#include "platform/win32/wide.h"

namespace zarn {
namespace {

class Win32UserNameSource final : public UserNameSource {
 public:
  std::u16string ReadUserName() override {
    // The platform's full length: a shorter buffer would make a long name
    // read as empty, and the clean-up would then end every user's reporters.
    char buffer[UNLEN + 1] = {};
    DWORD size = sizeof buffer;
    if (!::GetUserNameA(buffer, &size)) return {};
    return win32::FromAnsi(std::string_view(buffer, ::strnlen(buffer, UNLEN)));
  }
};

}  // namespace

std::unique_ptr<UserNameSource> NewWin32UserNameSource() {
  return std::make_unique<Win32UserNameSource>();
}

}  // namespace zarn
