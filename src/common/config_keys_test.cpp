#include "common/config_keys.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace zarn {
namespace {

TEST(ConfigKeysTest, CountIsAWholeNumberInAsManyDigitsAsItsLargest) {
  struct Case {
    const char16_t* text;
    int largest;
    std::optional<int> count;
  };
  const Case cases[] = {
      {u"1", 999, 1},     {u"007", 999, 7}, {u"999", 999, 999}, {u"0", 999, {}},
      {u"0007", 999, {}}, {u"", 999, {}},   {u"12", 9, {}},     {u"10", 10, 10},
      {u"11", 10, {}},    {u" 5", 999, {}}, {u"+5", 999, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(ParseCount(c.text, c.largest), c.count);
  }
}

}  // namespace
}  // namespace zarn
