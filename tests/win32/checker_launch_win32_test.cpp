// The checker's launch on the real shell, registry and log: an association
// of a test document type with a copy of fakeexcel.exe stands in for
// Office's association of .xls with EXCEL.EXE.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_shell.h"
#include "test_daemon_log.h"
#include "testing/win32/test_association.h"
#include "testing/win32/win32_test_support.h"
#include "watchdog/checker_launch.h"

namespace zarn {
namespace {

constexpr std::u16string_view kTestKey =
    u"Software\\ZARNDaemonTests\\CheckerLaunch";

// A folder with a blank and an umlaut in its name holds the workbook, the
// program copies and the daemon log.
class CheckerLaunchWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32::RunningUnderWine()) {
      GTEST_SKIP() << "needs Wine: writes the machine's file associations";
    }
    folder_ = win32::MakeOwnTempFolder(L"ZARN Neustart Prüfung ");
    workbook_ = folder_ + L"Check Mappe" + association_.extension();
    win32::UniqueFileHandle file(::CreateFileW(workbook_.c_str(), GENERIC_WRITE,
                                               0, nullptr, CREATE_ALWAYS, 0,
                                               nullptr));
    ASSERT_TRUE(file);
    log_path_ = folder_ + L"daemon.log";
    log_.set_path(win32::FromWide(log_path_));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::ToWide(kTestKey).c_str());
  }

  void TearDown() override {
    if (IsSkipped()) return;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::ToWide(kTestKey).c_str());
    // A started copy may still be on its way out; its file goes after it.
    for (const std::wstring& program : programs_) {
      const ULONGLONG deadline = ::GetTickCount64() + 10000;
      while (!::DeleteFileW(program.c_str()) &&
             ::GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES &&
             ::GetTickCount64() < deadline) {
        ::Sleep(50);
      }
      ::DeleteFileW((program + L".record").c_str());
    }
    ::DeleteFileW(workbook_.c_str());
    ::DeleteFileW(log_path_.c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }

  // Copies fakeexcel.exe into the folder as `name` and associates the
  // workbook's type with the copy.
  std::wstring AssociateCopyNamed(const std::wstring& name) {
    const std::wstring program = folder_ + name;
    programs_.push_back(program);
    EXPECT_TRUE(::CopyFileW((win32::OwnFolder() + L"fakeexcel.exe").c_str(),
                            program.c_str(), FALSE))
        << "fakeexcel.exe missing beside the tests: " << ::GetLastError();
    EXPECT_TRUE(association_.OpenWith(program));
    return program;
  }

  std::u16string Workbook() const { return win32::FromWide(workbook_); }
  DateTime Now() const { return backends_.clock->Read().local; }

  win32::TestAssociation association_{L"zarnlaunch"};
  std::wstring folder_;
  std::wstring workbook_;
  std::wstring log_path_;
  std::vector<std::wstring> programs_;

  std::unique_ptr<SettingsStore> settings_ = NewWin32SettingsStore(kTestKey);
  std::unique_ptr<Shell> shell_ = NewWin32Shell();
  win32::TestDaemonLog backends_;
  DaemonLog& log_ = backends_.log;
  CheckerLaunch launch_{*settings_, *shell_, log_};
};

TEST_F(CheckerLaunchWin32Test, StartsExcelWithSlashRShownAsTheSettingSays) {
  // The name ends in excel.exe in another letter case than EXCEL.EXE.
  const std::wstring excel = AssociateCopyNamed(L"ZarnTestExcel.exe");
  const std::u16string program = launch_.FindAssociatedProgram(Workbook());
  ASSERT_EQ(::CompareStringOrdinal(win32::ToWide(program).c_str(), -1,
                                   excel.c_str(), -1, TRUE),
            CSTR_EQUAL)
      << win32::Utf8(win32::ToWide(program));
  const std::string command_line = win32::Utf8(L"\"" + win32::ToWide(program) +
                                               L"\" /r \"" + workbook_ + L"\"");

  struct Case {
    const char16_t* setting;  // nullptr: no value in the store
    const char* show;
  };
  for (const Case& c : {Case{u"True", "1"}, Case{u"true", "0"},
                        Case{u"False", "0"}, Case{nullptr, "1"}}) {
    SCOPED_TRACE(c.setting ? Utf16ToUtf8(c.setting) : "no value");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::ToWide(kTestKey).c_str());
    if (c.setting) {
      ASSERT_TRUE(settings_->WriteSetting(u"PellamShowStatusform", c.setting));
    }
    const std::wstring record = excel + L".record";
    ::DeleteFileW(record.c_str());
    launch_.StartCheckerWorkbook(Workbook(), Now());
    EXPECT_EQ(win32::AwaitWholeFile(record),
              command_line + "\r\nusesShowWindow=1\r\nshowWindow=" + c.show +
                  "\r\nvisible=" + c.show + "\r\n");
  }
  // A start that succeeds leaves no log line.
  EXPECT_EQ(::GetFileAttributesW(log_path_.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CheckerLaunchWin32Test, DoesNotStartAProgramThatIsNotExcel) {
  const std::wstring viewer = AssociateCopyNamed(L"excelviewer.exe");
  // The shell does find the program; only its name keeps it from starting.
  ASSERT_NE(launch_.FindAssociatedProgram(Workbook()), u"");
  launch_.StartCheckerWorkbook(Workbook(), Now());
  // A started copy writes its record within a fraction of a second.
  EXPECT_EQ(win32::AwaitWholeFile(viewer + L".record", 1500), "<no file>");
  EXPECT_EQ(::GetFileAttributesW(log_path_.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CheckerLaunchWin32Test, AStartThatFailsIsLoggedWithTheWin32Error) {
  // An empty file: found through the association, but no program.
  const std::wstring broken = folder_ + L"LeerEXCEL.EXE";
  programs_.push_back(broken);
  win32::UniqueFileHandle file(::CreateFileW(
      broken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(file);
  file.reset();
  ASSERT_TRUE(association_.OpenWith(broken));

  launch_.StartCheckerWorkbook(Workbook(), Now());
  const std::string log = win32::ReadWholeFile(log_path_);
  const std::string tail =
      ", Typ: 7, ID: 0, \"Err: ZARND: Start ZARN "
      "fehlgeschlagen '" +
      win32::ToAnsi(Workbook()) + "'\"\r\n";
  ASSERT_GT(log.size(), tail.size()) << log;
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
  // The number is the error CreateProcess gave: ERROR_BAD_EXE_FORMAT.
  EXPECT_NE(log.find(",193, Typ: 7,"), std::string::npos) << log;
  EXPECT_EQ(log.find("\r\n"), log.size() - 2) << "one line only: " << log;
}

}  // namespace
}  // namespace zarn
