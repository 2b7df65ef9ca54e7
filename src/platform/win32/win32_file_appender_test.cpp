#include "platform/win32/win32_file_appender.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

// Each test works in a folder of its own under %TEMP%, with a blank and an
// umlaut in its name, and removes it afterwards.
class Win32FileAppenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = win32::MakeOwnTempFolder(L"ZARN Log Prüfung ");
    path_ = folder_ + L"daemon.log";
    ::DeleteFileW(path_.c_str());
    appender_ = NewWin32FileAppender();
  }
  void TearDown() override {
    ::DeleteFileW(path_.c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }

  AppendResult Append(std::string_view bytes) {
    return appender_->Append(win32::FromWide(path_), bytes);
  }

  std::wstring folder_;
  std::wstring path_;
  std::unique_ptr<FileAppender> appender_;
};

TEST_F(Win32FileAppenderTest, CreatesAMissingFileWithTheBytes) {
  EXPECT_EQ(Append("6.12.2026 03:41:47,0\r\n"), AppendResult::kWritten);
  EXPECT_EQ(win32::ReadWholeFile(path_), "6.12.2026 03:41:47,0\r\n");
}

TEST_F(Win32FileAppenderTest, AppendsBehindWhatIsThereAndKeepsBytesAsTheyAre) {
  ASSERT_EQ(Append("first\r\n"), AppendResult::kWritten);
  // ANSI bytes (ü in code page 1252) and a quotation mark pass unchanged.
  ASSERT_EQ(Append("\"\xFC\"\r\n"), AppendResult::kWritten);
  ASSERT_EQ(Append(""), AppendResult::kWritten);
  EXPECT_EQ(win32::ReadWholeFile(path_), "first\r\n\"\xFC\"\r\n");
}

TEST_F(Win32FileAppenderTest, AppendsWhileAReaderHoldsTheFileWithSharing) {
  ASSERT_EQ(Append("one\r\n"), AppendResult::kWritten);
  win32::UniqueFileHandle reader(::CreateFileW(
      path_.c_str(), GENERIC_READ | GENERIC_WRITE,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  EXPECT_EQ(Append("two\r\n"), AppendResult::kWritten);
  reader.reset();
  EXPECT_EQ(win32::ReadWholeFile(path_), "one\r\ntwo\r\n");
}

TEST_F(Win32FileAppenderTest, MissingFolderFailsToOpenAndCreatesNothing) {
  const std::wstring missing = folder_ + L"nicht da\\daemon.log";
  EXPECT_EQ(appender_->Append(win32::FromWide(missing), "x\r\n"),
            AppendResult::kOpenFailed);
  EXPECT_EQ(::GetFileAttributesW((folder_ + L"nicht da").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32FileAppenderTest, EmptyPathOrEmbeddedNulFailsToOpen) {
  EXPECT_EQ(appender_->Append(u"", "x"), AppendResult::kOpenFailed);
  std::u16string with_nul = win32::FromWide(path_);
  with_nul += u'\0';
  with_nul += u"x";
  EXPECT_EQ(appender_->Append(with_nul, "x"), AppendResult::kOpenFailed);
  EXPECT_EQ(::GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32FileAppenderTest, FileHeldWithoutSharingByAnotherProcess) {
  ASSERT_EQ(Append("before\r\n"), AppendResult::kWritten);
  // Held until let go below, however slowly the test runs meanwhile.
  win32::FileHolder holder = win32::StartFileHolder(path_, 60000);
  ASSERT_TRUE(holder.process) << "file_holder.exe did not take the file";
  EXPECT_EQ(Append("while held\r\n"), AppendResult::kOpenFailed);

  ::SetEvent(holder.release.get());
  ASSERT_EQ(::WaitForSingleObject(holder.process.get(), 10000), WAIT_OBJECT_0);
  DWORD exit_code = 99;
  ::GetExitCodeProcess(holder.process.get(), &exit_code);
  EXPECT_EQ(exit_code, 0u);
  EXPECT_EQ(Append("after\r\n"), AppendResult::kWritten);
  EXPECT_EQ(win32::ReadWholeFile(path_), "before\r\nafter\r\n");
}

}  // namespace
}  // namespace zarn
