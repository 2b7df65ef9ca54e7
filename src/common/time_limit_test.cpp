#include "common/time_limit.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace zarn {
namespace {

TEST(TimeLimitTest, ParsesValidLimitsToSeconds) {
  struct Case {
    const char16_t* text;
    int64_t seconds;
  };
  const Case cases[] = {
      {u"00:05:00", 300},   {u"00:03:30", 210}, {u"00:30:00", 1800},
      {u"23:59:59", 86399}, {u"00:00:00", 0},   {u"01:00:01", 3601},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    const auto limit = TimeLimit::Parse(c.text);
    ASSERT_TRUE(limit.has_value());
    EXPECT_EQ(limit->seconds(), c.seconds);
    EXPECT_EQ(limit->text(), c.text);
  }
}

TEST(TimeLimitTest, RejectsMalformedLimits) {
  const char16_t* cases[] = {
      u"",          u"0:05:00",    u"00:05:0",   u"000:05:00", u"00-10-00",
      u"00:05:00 ", u" 0:05:00",   u"+0:05:00",  u"-1:05:00",  u"24:00:00",
      u"99:99:99",  u"00:60:00",   u"00:00:60",  u"0a:05:00",  u"00:5 :00",
      u"00.05.00",  u"00:05:00\r", u"０0:05:00", u"00::5:00",  u"1e:00:00",
  };
  for (const char16_t* text : cases) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    EXPECT_FALSE(TimeLimit::Parse(text).has_value());
  }
}

}  // namespace
}  // namespace zarn
