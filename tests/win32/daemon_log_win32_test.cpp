// The daemon log on the real backends: the regional date text, the ANSI
// code page, the file system's folder probe and a file that another
// process holds without sharing.
#include <gtest/gtest.h>
#include <windows.h>
// oleauto.h needs windows.h first.
#include <oleauto.h>

#include <string>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"
#include "test_daemon_log.h"
#include "testing/win32/test_temp_folder.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

// Runs with German regional settings (CTest sets them for Wine). The date
// text is taken from the platform: Windows writes 06.12.2026, Wine 8
// writes 6.12.2026.
class DaemonLogWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = win32::MakeOwnTempFolder(L"ZARN Protokoll Prüfung ");
    path_ = folder_ + L"daemon.log";
    ::DeleteFileW(path_.c_str());
  }
  void TearDown() override {
    ::DeleteFileW(path_.c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }

  static std::string PlatformDateText(DateTime when) {
    BSTR text = nullptr;
    EXPECT_TRUE(SUCCEEDED(
        ::VarBstrFromDate(when.ToOleDate(), LOCALE_USER_DEFAULT, 0, &text)));
    win32::UniqueBstr owned(text);
    return win32::ToAnsi(
        win32::FromWide(std::wstring_view(text, ::SysStringLen(text))));
  }

  bool Append(std::u16string_view line) {
    return log_.AppendLineToFile(line, win32::FromWide(path_));
  }

  std::wstring folder_;
  std::wstring path_;
  win32::TestDaemonLog backends_;
  DaemonLog& log_ = backends_.log;
};

TEST_F(DaemonLogWin32Test, WritesThePlatformsDateTextAndTheFixedLayout) {
  const DateTime when = DateTime::FromCivil(2026, 12, 6, 3, 41, 47);
  const std::string date = PlatformDateText(when);
  EXPECT_TRUE(date == "06.12.2026 03:41:47" || date == "6.12.2026 03:41:47")
      << date;

  log_.set_path(win32::FromWide(path_));
  log_.WriteDaemonLog(when, u"ZARND: Start ZARN 'C:\\Tools\\Daemon\\Check.xls'",
                      0, 0);
  EXPECT_EQ(win32::ReadWholeFile(path_),
            date +
                ",0, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN "
                "'C:\\Tools\\Daemon\\Check.xls'\"\r\n");
}

TEST_F(DaemonLogWin32Test, WritesTheAnsiCodePageBehindEarlierLines) {
  ASSERT_EQ(::GetACP(), 1252u) << "German regional settings expected";
  const DateTime when = DateTime::FromCivil(2026, 12, 6, 3, 41, 47);
  const std::string date = PlatformDateText(when);
  ASSERT_TRUE(Append(u"erste Zeile"));

  log_.set_path(win32::FromWide(path_));
  log_.WriteDaemonLog(
      when, u"ZARND: Start ZARN fehlgeschlagen 'C:\\Prüfung\\Übersicht.xls'",
      123, 0);
  EXPECT_EQ(win32::ReadWholeFile(path_),
            "erste Zeile\r\n" + date +
                ",123, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN fehlgeschlagen "
                "'C:\\Pr\xFC"
                "fung\\\xDC"
                "bersicht.xls'\"\r\n");
}

TEST_F(DaemonLogWin32Test, LogFolderPastMaxPath) {
  win32::TestTempFolder temp;
  std::u16string folder = temp.path();
  while (folder.size() < 300) {
    folder += u"\\abcdefghijklmnopqrstuvwxyz0123456789";
    ASSERT_TRUE(win32::TestTempFolder::MakeFolder(folder));
  }
  EXPECT_TRUE(log_.AppendLineToFile(u"tief", folder + u"\\x\\..\\daemon.log"));
  EXPECT_EQ(win32::ReadWholeFile(
                win32::ToWide(u"\\\\?\\" + folder + u"\\daemon.log")),
            "tief\r\n");
}

TEST_F(DaemonLogWin32Test, MissingFolderIsNeitherCreatedNorWaitedFor) {
  const std::wstring missing = folder_ + L"nicht da";
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_FALSE(
      log_.AppendLineToFile(u"x", win32::FromWide(missing + L"\\daemon.log")));
  EXPECT_LT(::GetTickCount64() - start, 500u);
  EXPECT_EQ(::GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DaemonLogWin32Test, LineLandsWhenAnotherProcessLetsGoWithinASecond) {
  win32::FileHolder holder = win32::StartFileHolder(path_, 500);
  ASSERT_TRUE(holder.process) << "file_holder.exe did not take the file";
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_TRUE(Append(u"nach dem Warten"));
  const ULONGLONG elapsed = ::GetTickCount64() - start;
  // At least one retry, and done well before the attempts run out.
  EXPECT_GE(elapsed, 100u);
  EXPECT_LT(elapsed, 1000u);
  ASSERT_EQ(::WaitForSingleObject(holder.process.get(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(win32::ReadWholeFile(path_), "nach dem Warten\r\n");
}

TEST_F(DaemonLogWin32Test, GivesUpAfterAboutASecondWhenTheFileStaysHeld) {
  // Held until let go below, however slowly the attempts run.
  win32::FileHolder holder = win32::StartFileHolder(path_, 60000);
  ASSERT_TRUE(holder.process) << "file_holder.exe did not take the file";
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_FALSE(Append(u"verloren"));
  const ULONGLONG elapsed = ::GetTickCount64() - start;
  // Ten attempts 100 ms apart.
  EXPECT_GE(elapsed, 800u);
  EXPECT_LE(elapsed, 1800u);
  ::SetEvent(holder.release.get());
  ASSERT_EQ(::WaitForSingleObject(holder.process.get(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(win32::ReadWholeFile(path_), "");
}

}  // namespace
}  // namespace zarn
