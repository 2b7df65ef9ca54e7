#include "watchdog/build_title.h"

#include <gtest/gtest.h>

namespace zarn {
namespace {

TEST(BuildTitleTest, BuildTitleCarriesTheVersion) {
  EXPECT_EQ(BuildTitle(), u"ZARN Daemon (Build: 1-0-0)");
}

}  // namespace
}  // namespace zarn
