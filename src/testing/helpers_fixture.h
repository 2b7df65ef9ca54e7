// The base of the test fixtures whose unit takes Helpers: the path helpers
// on a fake file system, HTTP probe and network drives, which a test sets
// up and asks through the members.
#ifndef ZARN_TESTING_HELPERS_FIXTURE_H_
#define ZARN_TESTING_HELPERS_FIXTURE_H_

#include <gtest/gtest.h>

#include "paths/helpers.h"
#include "paths/unc.h"
#include "testing/fake_file_system.h"
#include "testing/fake_http_probe.h"
#include "testing/fake_network_drives.h"

namespace zarn {

class HelpersFixture : public ::testing::Test {
 protected:
  FakeFileSystem fs_;
  FakeHttpProbe http_;
  FakeNetworkDrives drives_;
  Unc unc_{drives_};
  Helpers helpers_{fs_, http_, unc_};
};

}  // namespace zarn

#endif  // ZARN_TESTING_HELPERS_FIXTURE_H_
