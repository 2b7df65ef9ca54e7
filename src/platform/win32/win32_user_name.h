// The name of the user we run as, through GetUserNameA.
#ifndef ZARN_PLATFORM_WIN32_WIN32_USER_NAME_H_
#define ZARN_PLATFORM_WIN32_WIN32_USER_NAME_H_

#include <memory>

#include "platform/user_name.h"

namespace zarn {

std::unique_ptr<UserNameSource> NewWin32UserNameSource();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_USER_NAME_H_
