#include "paths/unc.h"

#include <gtest/gtest.h>

#include "testing/fake_network_drives.h"

namespace zarn {
namespace {

class UncTest : public ::testing::Test {
 protected:
  FakeNetworkDrives drives_;
  Unc unc_{drives_};
};

TEST_F(UncTest, DriveLetterPathsLeaveTheMapUnbuilt) {
  drives_.Map(u'Z', u"\\\\server\\data");
  EXPECT_EQ(unc_.ToDrivePath(u"c:\\x"), u"c:\\x");
  EXPECT_EQ(unc_.ToDrivePath(u"C:relative"), u"C:relative");
  EXPECT_FALSE(unc_.built());
  EXPECT_EQ(drives_.query_count(), 0);
}

TEST_F(UncTest, MapIsBuiltOnceAndNeverRefreshed) {
  drives_.Map(u'Z', u"\\\\server\\data");
  EXPECT_EQ(unc_.ToDrivePath(u"\\\\SERVER\\Data\\ZARN.cfg"), u"Z:\\ZARN.cfg");
  EXPECT_TRUE(unc_.built());
  EXPECT_EQ(drives_.query_count(), 26);
  EXPECT_EQ(unc_.drive_count(), 1);

  drives_.Map(u'Y', u"\\\\other\\share");
  drives_.Unmap(u'Z');
  EXPECT_EQ(unc_.ToDrivePath(u"\\\\other\\share\\a"), u"\\\\other\\share\\a");
  EXPECT_EQ(unc_.ToDrivePath(u"\\\\server\\data\\b"), u"Z:\\b");
  EXPECT_EQ(drives_.query_count(), 26);
}

TEST_F(UncTest, RewritesByPlainPrefix) {
  drives_.Map(u'Q', u"\\\\srv\\data");
  drives_.Map(u'M', u"\\\\srv\\data");
  drives_.Map(u'K', u"\\\\srv\\Data\\sub");
  const std::vector<std::pair<std::u16string, std::u16string>> cases = {
      // The lower letter wins, also over a longer root.
      {u"\\\\srv\\data\\sub\\x", u"K:\\x"},
      {u"\\\\srv\\data\\x", u"M:\\x"},
      {u"\\\\SRV\\DATA", u"M:"},
      // No separator is required after the root.
      {u"\\\\srv\\data2\\x", u"M:2\\x"},
      {u"\\\\srv\\other\\x", u"\\\\srv\\other\\x"},
      {u"relative\\x", u"relative\\x"},
      {u"", u""},
  };
  for (const auto& [path, expected] : cases) {
    SCOPED_TRACE(testing::Message() << path.size());
    EXPECT_EQ(unc_.ToDrivePath(path), expected);
  }
}

TEST_F(UncTest, NoMappedDrivesLeaveEveryPathAlone) {
  EXPECT_EQ(unc_.ToDrivePath(u"\\\\srv\\data\\x"), u"\\\\srv\\data\\x");
  EXPECT_TRUE(unc_.built());
  EXPECT_EQ(unc_.drive_count(), 0);
}

TEST_F(UncTest, UncNameIsCutAtItsNul) {
  drives_.Map(u'X', std::u16string(u"\\\\srv\\s\0junk", 12));
  std::u16string name = u"old";
  EXPECT_EQ(unc_.GetUncName(u"X:", name), 0);
  EXPECT_EQ(name, u"\\\\srv\\s");
  EXPECT_EQ(unc_.GetUncName(u"Y:", name), kErrorNotConnected);
}

TEST_F(UncTest, EmptyShareNameIsLeftOutOfTheMap) {
  drives_.Map(u'A', u"");
  drives_.Map(u'B', u"\\\\srv\\s");
  EXPECT_EQ(unc_.ToDrivePath(u"\\\\x\\y"), u"\\\\x\\y");
  EXPECT_EQ(unc_.drive_count(), 1);
}

}  // namespace
}  // namespace zarn
