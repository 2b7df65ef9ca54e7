#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace zarn {
namespace {

TEST(Win32PlatformTest, CommandLineArgumentsDropTheProgramName) {
  struct Case {
    const char16_t* line;
    const char16_t* arguments;
  };
  const Case cases[] = {
      {u"ZARNDaemon.exe", u""},
      {u"ZARNDaemon.exe 1", u"1"},
      {u"\"C:\\Program Files\\ZARN\\ZARNDaemon.exe\"  x 1", u"x 1"},
      {u"\"C:\\a b\\ZARNDaemon.exe\"", u""},
      {u"C:\\Tools\\ZARNDaemon.exe\t/debug 1 ", u"/debug 1 "},
      {u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.line));
    EXPECT_EQ(CommandLineArguments(c.line), c.arguments);
  }
}

}  // namespace
}  // namespace zarn
