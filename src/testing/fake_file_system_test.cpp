#include "testing/fake_file_system.h"

#include <gtest/gtest.h>

namespace zarn {
namespace {

class FakeFileSystemTest : public ::testing::Test {
 protected:
  FakeFileSystem fs_;
};

TEST_F(FakeFileSystemTest, FoldersNeedTheirParent) {
  fs_.AddFolder(u"C:\\A");
  EXPECT_FALSE(fs_.CreateFolder(u"C:\\A\\B\\C"));
  EXPECT_TRUE(fs_.CreateFolder(u"C:\\A\\B"));
  EXPECT_FALSE(fs_.CreateFolder(u"c:\\a\\b"));  // exists already
  EXPECT_TRUE(fs_.CreateFolder(u"C:\\A\\B\\C\\"));
  EXPECT_FALSE(fs_.CreateFolder(u"\\\\srv"));
  EXPECT_EQ(fs_.create_calls().size(), 5u);
  EXPECT_EQ(fs_.GetAttributes(u"C:\\A\\B\\C\\"), kAttributeDirectory);
}

TEST_F(FakeFileSystemTest, LongPathsOnlyInTheirLongForm) {
  const std::u16string path = u"C:\\" + std::u16string(270, u'x');
  fs_.AddFile(path, "abc");
  EXPECT_FALSE(fs_.GetAttributes(path));
  EXPECT_FALSE(fs_.ReadFile(path));
  EXPECT_TRUE(fs_.GetAttributes(u"\\\\?\\" + path));
  EXPECT_EQ(fs_.ReadFile(u"\\\\?\\" + path),
            (std::vector<uint8_t>{'a', 'b', 'c'}));
  fs_.AddFolder(u"\\\\srv\\share\\" + std::u16string(270, u'y'));
  EXPECT_EQ(fs_.GetAttributes(u"\\\\?\\UNC\\srv\\share\\" +
                              std::u16string(270, u'y')),
            kAttributeDirectory);
}

TEST_F(FakeFileSystemTest, FoldersAndUnreadableFilesAreNoFileToRead) {
  fs_.AddFolder(u"C:\\A");
  fs_.AddUnreadableFile(u"C:\\A\\locked");
  EXPECT_FALSE(fs_.ReadFile(u"C:\\A"));
  EXPECT_FALSE(fs_.ReadFile(u"C:\\A\\locked"));
  EXPECT_TRUE(fs_.GetAttributes(u"C:\\A\\locked"));
}

}  // namespace
}  // namespace zarn
