#include "platform/win32/win32_shell.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"
#include "testing/win32/test_association.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

// A folder with a blank and an umlaut in its name holds a copy of
// fakeexcel.exe and a workbook of the test type, which the machine-wide
// and the per-user classes associate with that copy, as an Office
// installation associates .xls with EXCEL.EXE.
class Win32ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32::RunningUnderWine()) {
      GTEST_SKIP() << "needs Wine: writes the machine's file associations";
    }
    folder_ = win32::MakeOwnTempFolder(L"ZARN Start Prüfung ");
    excel_ = folder_ + L"fakeexcel.exe";
    record_ = excel_ + L".record";
    workbook_ = folder_ + L"Check Mappe" + association_.extension();
    ASSERT_TRUE(::CopyFileW((win32::OwnFolder() + L"fakeexcel.exe").c_str(),
                            excel_.c_str(), FALSE))
        << "fakeexcel.exe missing beside the tests: " << ::GetLastError();
    CreateEmptyFile(workbook_);
    ::DeleteFileW(record_.c_str());

    ASSERT_TRUE(association_.OpenWith(excel_));
    shell_ = NewWin32Shell();
  }

  void TearDown() override {
    if (IsSkipped()) return;
    // fakeexcel.exe may still be on its way out; its file goes after it.
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    while (!::DeleteFileW(excel_.c_str()) &&
           ::GetFileAttributesW(excel_.c_str()) != INVALID_FILE_ATTRIBUTES &&
           ::GetTickCount64() < deadline) {
      ::Sleep(50);
    }
    for (const std::wstring& file :
         {record_, workbook_, folder_ + L"ohne Zuordnung.zarnnone"}) {
      ::DeleteFileW(file.c_str());
    }
    ::RemoveDirectoryW(folder_.c_str());
  }

  static void CreateEmptyFile(const std::wstring& path) {
    win32::UniqueFileHandle file(::CreateFileW(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
  }

  // Waits for fakeexcel.exe's record of its start.
  std::string AwaitRecord() { return win32::AwaitWholeFile(record_); }

  win32::TestAssociation association_{L"zarntest"};
  std::wstring folder_;
  std::wstring excel_;
  std::wstring record_;
  std::wstring workbook_;
  std::unique_ptr<Shell> shell_;
};

TEST_F(Win32ShellTest, FindExecutableGivesTheAssociatedProgram) {
  const std::u16string found =
      shell_->FindExecutable(win32::FromWide(workbook_));
  EXPECT_EQ(::CompareStringOrdinal(win32::ToWide(found).c_str(), -1,
                                   excel_.c_str(), -1, TRUE),
            CSTR_EQUAL)
      << win32::Utf8(win32::ToWide(found));
}

TEST_F(Win32ShellTest, FindExecutableIsEmptyWithoutAssociationOrDocument) {
  const std::wstring unassociated = folder_ + L"ohne Zuordnung.zarnnone";
  CreateEmptyFile(unassociated);
  EXPECT_EQ(shell_->FindExecutable(win32::FromWide(unassociated)), u"");
  EXPECT_EQ(shell_->FindExecutable(
                win32::FromWide(folder_ + L"fehlt" + association_.extension())),
            u"");
}

TEST_F(Win32ShellTest, StartsTheCommandLineWithTheShowWindowValue) {
  struct Case {
    ShowWindow show;
    const char* expected_show;
  };
  for (const Case& c : {Case{ShowWindow::kNormal, "showWindow=1\r\n"},
                        Case{ShowWindow::kHidden, "showWindow=0\r\n"}}) {
    SCOPED_TRACE(c.expected_show);
    ::DeleteFileW(record_.c_str());
    const std::wstring line = L"\"" + excel_ + L"\" /r \"" + workbook_ + L"\"";
    ASSERT_EQ(shell_->StartProcess(win32::FromWide(line), c.show), 0u);
    const std::string record = AwaitRecord();
    EXPECT_EQ(record, win32::Utf8(line) + "\r\nusesShowWindow=1\r\n" +
                          c.expected_show + "visible=" +
                          (c.show == ShowWindow::kNormal ? "1" : "0") + "\r\n");
  }
}

TEST_F(Win32ShellTest, StartFailureGivesTheWin32Error) {
  const std::wstring line =
      L"\"" + folder_ + L"fehlt\\EXCEL.EXE\" /r \"" + workbook_ + L"\"";
  const uint32_t error =
      shell_->StartProcess(win32::FromWide(line), ShowWindow::kNormal);
  EXPECT_TRUE(error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND)
      << error;
  EXPECT_EQ(shell_->StartProcess(u"", ShowWindow::kNormal),
            static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace zarn
