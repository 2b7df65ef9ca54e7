#include "testing/win32/win32_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace zarn {
namespace {

// The tests that need Wine skip where it is not detected, so a detection
// that failed under Wine would pass them all unseen. Wine hands its
// programs the Unix environment, WINEPREFIX included, which scripts/wine-run
// always sets; Windows knows no such variable.
TEST(Win32TestSupportTest, WineIsDetectedWhereItRunsTheTests) {
  const bool wine_prefix_set =
      ::GetEnvironmentVariableW(L"WINEPREFIX", nullptr, 0) > 0;
  EXPECT_EQ(win32::RunningUnderWine(), wine_prefix_set);
}

}  // namespace
}  // namespace zarn
