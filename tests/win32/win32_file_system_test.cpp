// The file probe and the folder creation on the real file system.
#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "config/cfg_reader.h"
#include "paths/helpers.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_network_drives.h"
#include "testing/fake_http_probe.h"
#include "testing/win32/test_temp_folder.h"

namespace zarn {
namespace {

class Win32FileSystemTest : public ::testing::Test {
 protected:
  // A folder path of at least `length` characters below the temp folder.
  std::u16string LongFolder(size_t length) {
    std::u16string path = temp_.path();
    while (path.size() < length) {
      path += u"\\abcdefghijklmnopqrstuvwxyz0123456789";
      EXPECT_TRUE(win32::TestTempFolder::MakeFolder(path));
    }
    return path;
  }

  win32::TestTempFolder temp_;
  std::unique_ptr<FileSystem> fs_ = NewWin32FileSystem();
  std::unique_ptr<NetworkDrives> drives_ = NewWin32NetworkDrives();
  FakeHttpProbe http_;
  Unc unc_{*drives_};
  Helpers helpers_{*fs_, http_, unc_};
};

TEST_F(Win32FileSystemTest, FindsFilesAndFoldersOnly) {
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(temp_ / u"ZARN.cfg", {'x'}));
  EXPECT_TRUE(helpers_.CheckFileExists(temp_ / u"ZARN.cfg"));
  EXPECT_TRUE(helpers_.CheckFileExists(temp_.path()));
  EXPECT_FALSE(helpers_.CheckFileExists(temp_ / u"missing.cfg"));
  EXPECT_FALSE(helpers_.CheckFileExists(u""));
  EXPECT_FALSE(helpers_.CheckFileExists(u"ftp://127.0.0.1/ZARN.cfg"));
  EXPECT_TRUE(http_.requests().empty());
}

TEST_F(Win32FileSystemTest, LongPathsOf300Characters) {
  const std::u16string folder = LongFolder(300);
  const std::u16string file = folder + u"\\ZARN.cfg";
  ASSERT_GE(folder.size(), 300u);
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(file, {'a', 'b'}));
  EXPECT_TRUE(helpers_.CheckFileExists(folder));
  EXPECT_TRUE(helpers_.CheckFileExists(file));
  EXPECT_FALSE(helpers_.CheckFileExists(folder + u"\\missing.cfg"));
  std::u16string path = file;
  EXPECT_TRUE(helpers_.CheckLongPath(path));
  EXPECT_EQ(path, u"\\\\?\\" + file);
  path = folder;
  EXPECT_FALSE(helpers_.CheckLongPath(path));
  EXPECT_EQ(fs_->ReadFile(u"\\\\?\\" + file), (std::vector<uint8_t>{'a', 'b'}));
}

// A candidate such as ..\cfg\Velmora-Suite.cfg below a folder past MAX_PATH:
// the long form takes "." and ".." as names, so they are resolved first.
TEST_F(Win32FileSystemTest, DotsInLongPathsAreResolvedFirst) {
  const std::u16string folder = LongFolder(300);
  ASSERT_TRUE(win32::TestTempFolder::MakeFolder(folder + u"\\cfg"));
  const std::string text = "[ZARN]\r\nCANCELTIME=00:10:00\r\n";
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(
      folder + u"\\cfg\\Velmora-Suite.cfg",
      std::vector<uint8_t>(text.begin(), text.end())));
  const std::u16string candidate =
      folder + u"\\bin\\.\\..\\cfg\\Velmora-Suite.cfg";

  EXPECT_TRUE(helpers_.CheckFileExists(candidate));
  std::unique_ptr<CodePageConverter> code_pages = NewWin32CodePageConverter();
  CfgReader reader{helpers_, *fs_, *code_pages};
  EXPECT_TRUE(reader.GetCfg(candidate));
  EXPECT_TRUE(reader.GetSection(u"ZARN"));
  EXPECT_EQ(reader.GetValue(u"CANCELTIME"), u"00:10:00");

  const std::u16string temp = folder + u"\\cfg\\..\\Temp\\Sub";
  EXPECT_EQ(helpers_.EnsureFolder(u"", temp), temp);
  EXPECT_TRUE(win32::TestTempFolder::IsFolder(folder + u"\\Temp\\Sub"));
  EXPECT_TRUE(helpers_.FolderExists(temp));
}

TEST_F(Win32FileSystemTest, FullPathResolvesWithoutTouchingTheDisk) {
  EXPECT_EQ(fs_->FullPath(temp_ / u"missing\\..\\.\\b/c"), temp_ / u"b\\c");
  EXPECT_EQ(fs_->FullPath(temp_ / u"x\\"), temp_ / u"x\\");
  const std::u16string deep = temp_.path() + u"\\" + std::u16string(300, u'd');
  EXPECT_EQ(fs_->FullPath(deep + u"\\..\\e"), temp_ / u"e");
  EXPECT_EQ(fs_->FullPath(u""), std::nullopt);
}

TEST_F(Win32FileSystemTest, ReadsFilesHeldOpenForWriting) {
  const std::u16string path = temp_ / u"held.cfg";
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(path, {'[', 'A', ']'}));
  HANDLE writer = ::CreateFileW(win32::ToWide(path).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(fs_->ReadFile(path), (std::vector<uint8_t>{'[', 'A', ']'}));
  ::CloseHandle(writer);
  EXPECT_FALSE(fs_->ReadFile(temp_.path()));
  EXPECT_FALSE(fs_->ReadFile(temp_ / u"missing"));
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(temp_ / u"empty", {}));
  EXPECT_EQ(fs_->ReadFile(temp_ / u"empty"), std::vector<uint8_t>{});
}

TEST_F(Win32FileSystemTest, EnsureFolderCreatesNestedFolders) {
  const std::u16string target = temp_ / u"A\\B\\C";
  EXPECT_EQ(helpers_.EnsureFolder(u"", target), target);
  EXPECT_TRUE(win32::TestTempFolder::IsFolder(temp_ / u"A\\B"));
  EXPECT_TRUE(win32::TestTempFolder::IsFolder(target));
  EXPECT_TRUE(helpers_.FolderExists(target));
  // Relative to the configuration file's folder.
  helpers_.set_config_file_path(temp_ / u"ZARN.cfg");
  EXPECT_EQ(helpers_.EnsureFolder(u"", u"Temp\\Sub"), temp_ / u"Temp\\Sub");
  EXPECT_TRUE(win32::TestTempFolder::IsFolder(temp_ / u"Temp\\Sub"));
  // A trailing backslash is created too.
  EXPECT_EQ(helpers_.EnsureFolder(u"", temp_ / u"T\\"), temp_ / u"T\\");
  EXPECT_TRUE(win32::TestTempFolder::IsFolder(temp_ / u"T"));
}

TEST_F(Win32FileSystemTest, EnsureFolderLeavesAnExistingFileAlone) {
  const std::u16string file = temp_ / u"Temp";
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(file, {'k', 'e', 'e', 'p'}));
  EXPECT_EQ(helpers_.EnsureFolder(u"", file), file);
  EXPECT_FALSE(win32::TestTempFolder::IsFolder(file));
  EXPECT_EQ(fs_->ReadFile(file), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST_F(Win32FileSystemTest, FolderThatCannotBeCreatedComesBackUnchanged) {
  const std::u16string file = temp_ / u"file";
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(file, {'x'}));
  const std::u16string under_file = file + u"\\Sub\\Dir";
  EXPECT_EQ(helpers_.EnsureFolder(u"", under_file), under_file);
  EXPECT_FALSE(helpers_.FolderExists(under_file));
  const std::u16string bad_name = temp_ / u"bad|name?";
  EXPECT_EQ(helpers_.EnsureFolder(u"", bad_name), bad_name);
  EXPECT_FALSE(helpers_.FolderExists(bad_name));
}

TEST_F(Win32FileSystemTest, NoMappedDrivesUnderWineLeavePathsAlone) {
  std::u16string remote = u"unchanged";
  const int32_t result = drives_->GetConnection(u"C:", remote);
  EXPECT_NE(result, 0);
  EXPECT_EQ(remote, u"unchanged");
  EXPECT_EQ(unc_.ToDrivePath(u"\\\\srv\\share\\x"), u"\\\\srv\\share\\x");
  EXPECT_TRUE(unc_.built());
}

}  // namespace
}  // namespace zarn
