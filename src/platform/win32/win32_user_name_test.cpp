#include "platform/win32/win32_user_name.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/wide.h"

namespace zarn {
namespace {

TEST(Win32UserNameTest, GivesTheNameWeRunAs) {
  wchar_t name[256 + 1] = {};
  DWORD size = 256 + 1;
  ASSERT_TRUE(::GetUserNameW(name, &size));
  const auto user_name = NewWin32UserNameSource()->ReadUserName();
  EXPECT_FALSE(user_name.empty());
  EXPECT_EQ(user_name, win32::FromWide(name));
}

}  // namespace
}  // namespace zarn
