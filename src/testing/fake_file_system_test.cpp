#include "testing/fake_file_system.h"

#include <gtest/gtest.h>

#include "common/text.h"

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

TEST_F(FakeFileSystemTest, LongFormTakesDotsAsNames) {
  const std::u16string folder = u"C:\\" + std::u16string(250, u'x');
  fs_.AddFile(folder + u"\\cfg\\a.cfg", "abc");
  EXPECT_TRUE(fs_.GetAttributes(u"\\\\?\\" + folder + u"\\cfg\\a.cfg"));
  EXPECT_FALSE(
      fs_.GetAttributes(u"\\\\?\\" + folder + u"\\bin\\..\\cfg\\a.cfg"));
  EXPECT_FALSE(fs_.FindEntry(u"\\\\?\\" + folder + u"\\.\\cfg"));
  EXPECT_FALSE(fs_.CreateFolder(u"\\\\?\\" + folder + u"\\cfg\\.."));
}

TEST_F(FakeFileSystemTest, PlainFolderPathsOf248CharactersAreNotCreated) {
  const std::u16string parent = u"C:\\" + std::u16string(240, u'x');
  fs_.AddFolder(parent);
  EXPECT_FALSE(fs_.CreateFolder(parent + u"\\abcd"));  // 248
  EXPECT_TRUE(fs_.CreateFolder(parent + u"\\abc"));    // 247
  EXPECT_TRUE(fs_.CreateFolder(u"\\\\?\\" + parent + u"\\abcd"));
  EXPECT_TRUE(fs_.FindEntry(parent + u"\\abcd"));
}

TEST_F(FakeFileSystemTest, FullPathResolvesLikeGetFullPathName) {
  fs_.set_current_folder(u"D:\\Work\\Daemon");
  struct Case {
    const char16_t* path;
    const char16_t* full;
  };
  const Case cases[] = {
      {u"C:\\A\\B\\..\\C", u"C:\\A\\C"},
      {u"C:\\A\\.\\B\\", u"C:\\A\\B\\"},
      {u"C:\\A\\..\\..\\B", u"C:\\B"},
      {u"C:\\A\\..", u"C:\\"},
      {u"C:/A//B", u"C:\\A\\B"},
      {u"\\\\srv\\share\\..\\..\\x", u"\\\\srv\\share\\x"},
      {u"daemon.log", u"D:\\Work\\Daemon\\daemon.log"},
      {u"..\\cfg", u"D:\\Work\\cfg"},
      {u"\\Logs", u"D:\\Logs"},
      {u"\\\\?\\C:\\A\\..", u"\\\\?\\C:\\A\\.."},
      {u"C:\\Logs\\CON", u"\\\\.\\CON"},
      {u"..\\lpt1.txt", u"\\\\.\\lpt1"},
      {u"nul ", u"\\\\.\\nul"},
      {u"C:\\Logs\\CONSOLE", u"C:\\Logs\\CONSOLE"},
      {u"C:\\COM0", u"C:\\COM0"},
      {u"\\\\srv\\share\\AUX", u"\\\\srv\\share\\AUX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.path));
    EXPECT_EQ(fs_.FullPath(c.path), c.full);
  }
  EXPECT_EQ(fs_.FullPath(u""), std::nullopt);
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
