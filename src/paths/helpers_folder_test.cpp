// EnsureFolder, FolderExists and MakePath against the fake file system.
#include <gtest/gtest.h>

#include "paths/helpers.h"
#include "testing/helpers_fixture.h"

namespace zarn {
namespace {

using Calls = std::vector<std::u16string>;

class HelpersFolderTest : public HelpersFixture {
 protected:
  void SetUp() override {
    fs_.AddFolder(u"C:\\Daemon");
    helpers_.set_program_folder(u"C:\\Daemon\\");
  }
};

TEST_F(HelpersFolderTest, MakePathCreatesEachFolderInOrder) {
  struct Case {
    const char* name;
    std::u16string path;
    Calls calls;
  };
  const std::vector<Case> cases = {
      {"drive", u"C:\\A\\B\\C", {u"C:\\A", u"C:\\A\\B", u"C:\\A\\B\\C"}},
      {"trailing backslash",
       u"C:\\A\\B\\",
       {u"C:\\A", u"C:\\A\\B", u"C:\\A\\B\\"}},
      {"unc",
       u"\\\\srv\\share\\T\\U",
       {u"\\\\srv", u"\\\\srv\\share", u"\\\\srv\\share\\T",
        u"\\\\srv\\share\\T\\U"}},
      {"slashes", u"C:/A/B", {u"C:/A/B"}},
      {"short", u"C:\\", {u"C:\\"}},
      {"empty", u"", {u""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs_.reset_traffic();
    helpers_.MakePath(c.path);
    EXPECT_EQ(fs_.create_calls(), c.calls);
  }
  EXPECT_TRUE(fs_.HasFolder(u"C:\\A\\B\\C"));
}

TEST_F(HelpersFolderTest, NestedMissingFolderIsCreatedWithItsParents) {
  fs_.AddFolder(u"C:\\A");
  EXPECT_EQ(helpers_.EnsureFolder(u"", u"C:\\A\\B\\C"), u"C:\\A\\B\\C");
  EXPECT_TRUE(fs_.HasFolder(u"C:\\A\\B"));
  EXPECT_TRUE(fs_.HasFolder(u"C:\\A\\B\\C"));
  // Present now: nothing more is created.
  fs_.reset_traffic();
  EXPECT_EQ(helpers_.EnsureFolder(u"", u"C:\\A\\B\\C"), u"C:\\A\\B\\C");
  EXPECT_TRUE(fs_.create_calls().empty());
}

TEST_F(HelpersFolderTest, FoldersPastThePlainLimitAreCreatedAndFound) {
  std::u16string deep = u"C:\\Daemon";
  while (deep.size() < 300) deep += u"\\abcdefghij";
  struct Case {
    const char* name;
    std::u16string folder;
    std::u16string made;
  };
  const Case cases[] = {
      {"past MAX_PATH", deep + u"\\Temp", deep + u"\\Temp"},
      {"with dots", deep + u"\\x\\..\\.\\Dots", deep + u"\\Dots"},
      {"CreateDirectoryW's own limit",
       u"C:\\Daemon\\" + std::u16string(240, u'f'),
       u"C:\\Daemon\\" + std::u16string(240, u'f')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(helpers_.EnsureFolder(u"", c.folder), c.folder);
    EXPECT_TRUE(fs_.HasFolder(c.made));
    EXPECT_TRUE(helpers_.FolderExists(c.folder));
  }
}

TEST_F(HelpersFolderTest, EmptyFolderTextTakesTheDefault) {
  EXPECT_EQ(helpers_.EnsureFolder(u"C:\\Data\\Tmp", u""), u"C:\\Data\\Tmp");
  EXPECT_TRUE(fs_.HasFolder(u"C:\\Data\\Tmp"));
}

TEST_F(HelpersFolderTest, AbsoluteAndRelativeFolderTexts) {
  helpers_.set_config_file_path(u"C:\\Suite\\ZARN.cfg");
  const std::vector<std::pair<std::u16string, std::u16string>> cases = {
      {u"D:\\Tmp", u"D:\\Tmp"},
      {u"d:rel", u"d:rel"},
      {u"\\\\srv\\share\\Tmp", u"\\\\srv\\share\\Tmp"},
      {u"//srv/share/Tmp", u"//srv/share/Tmp"},
      {u"x://whatever", u"x://whatever"},
      {u"Temp", u"C:\\Suite\\Temp"},
      {u"\\Temp", u"C:\\Suite\\\\Temp"},
  };
  for (const auto& [folder, target] : cases) {
    SCOPED_TRACE(testing::Message() << folder.size());
    EXPECT_EQ(helpers_.EnsureFolder(u"", folder), target);
  }
}

TEST_F(HelpersFolderTest, RelativeFolderWithoutConfigurationFile) {
  EXPECT_EQ(helpers_.EnsureFolder(u"", u"Temp"), u"C:\\Daemon\\Temp");
  EXPECT_TRUE(fs_.HasFolder(u"C:\\Daemon\\Temp"));
  // A configuration at a web address has no folder to lie in.
  helpers_.set_config_file_path(u"http://srv/ZARN.cfg");
  EXPECT_EQ(helpers_.EnsureFolder(u"", u"Temp2"), u"C:\\Daemon\\Temp2");
}

TEST_F(HelpersFolderTest, ExistingFileIsLeftAlone) {
  fs_.AddFile(u"C:\\Daemon\\Temp", "data");
  EXPECT_EQ(helpers_.EnsureFolder(u"", u"C:\\Daemon\\Temp"),
            u"C:\\Daemon\\Temp");
  EXPECT_TRUE(fs_.create_calls().empty());
  EXPECT_TRUE(fs_.HasFile(u"C:\\Daemon\\Temp"));
}

TEST_F(HelpersFolderTest, FolderThatCannotBeCreatedComesBackUnchanged) {
  fs_.DenyCreateUnder(u"C:\\Daemon\\Locked");
  EXPECT_EQ(helpers_.EnsureFolder(u"", u"C:\\Daemon\\Locked\\T"),
            u"C:\\Daemon\\Locked\\T");
  EXPECT_FALSE(fs_.HasFolder(u"C:\\Daemon\\Locked"));
  EXPECT_EQ(helpers_.EnsureFolder(u"", u"Q:\\no\\drive"), u"Q:\\no\\drive");
  EXPECT_FALSE(fs_.HasFolder(u"Q:\\no\\drive"));
}

TEST_F(HelpersFolderTest, FolderExistsSearchesThePathAsGiven) {
  fs_.AddFile(u"C:\\Daemon\\f.txt", "x");
  EXPECT_TRUE(helpers_.FolderExists(u"C:\\Daemon"));
  EXPECT_TRUE(helpers_.FolderExists(u"C:\\Daemon\\f.txt"));
  EXPECT_FALSE(helpers_.FolderExists(u"C:\\Daemon\\"));
  EXPECT_FALSE(helpers_.FolderExists(u"C:\\Nope"));
  EXPECT_FALSE(helpers_.FolderExists(u""));
}

}  // namespace
}  // namespace zarn
