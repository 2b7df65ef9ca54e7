// The release package as an administrator unpacks it: ZARNDaemon.exe,
// started from the unpacked folder as the checker starts it, reads the
// sample ZARN.cfg beside it. CTest builds and unpacks the ZIP first
// (e2e.PackageIsBuiltAndUnpacked), into package-test/ beside this program.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "daemon_fixture.h"
#include "e2e_support.h"
#include "package_folder.h"
#include "platform/settings_store.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_status_view.h"

namespace zarn::e2e {
namespace {

// Section -> key -> value, for a file written as the sample is: "[name]"
// headers and KEY=VALUE lines; remarks and blank lines left out.
using Sections = std::map<std::string, std::map<std::string, std::string>>;

std::string TrimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

Sections ReadSample(const std::string& text) {
  Sections sections;
  std::string section;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = TrimBlanks(line);
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
    } else if (!line.empty() && line.front() != ';' &&
               line.find('=') != std::string::npos) {
      const size_t equals = line.find('=');
      sections[section][TrimBlanks(line.substr(0, equals))] =
          TrimBlanks(line.substr(equals + 1));
    }
  }
  return sections;
}

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32::RunningUnderWine()) {
      GTEST_SKIP() << "needs Wine: empties the checker's real settings key";
    }
    folder_ = PackageFolder();
    ASSERT_NE(::GetFileAttributesW(folder_.c_str()), INVALID_FILE_ATTRIBUTES)
        << Utf8(folder_) << " missing: run through CTest, which unpacks it";
  }

  void TearDown() override {
    if (IsSkipped() || folder_.empty()) return;
    const size_t daemons_left = ProcessesIn(folder_, L"ZARNDaemon.exe").size();
    EndProcessesIn(folder_);
    RemoveMadeFolders();
    EXPECT_EQ(daemons_left, 0u) << "a daemon of the test was still running";
  }

  // Removes the folders the daemon made in the package's folder, innermost
  // first, so that the folder holds what the ZIP holds, whatever test runs
  // next.
  void RemoveMadeFolders() {
    for (const std::wstring& folder : made_folders_) {
      for (std::wstring f = folder; f.size() > folder_.size();
           f = f.substr(0, f.find_last_of(L'\\'))) {
        ::RemoveDirectoryW(f.c_str());
      }
    }
  }

  std::wstring folder_;
  // The folders of the suite's sections, which the daemon would make at
  // start-up; the sample has them as remarks only.
  std::vector<std::wstring> made_folders_;
};

TEST_F(PackageTest, HoldsTheProgramsTheSampleAndTheDocuments) {
  std::set<std::wstring> files;
  WIN32_FIND_DATAW found = {};
  const HANDLE search = ::FindFirstFileW((folder_ + L"*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") files.insert(name);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);

  const std::set<std::wstring> expected = {
      L"ZARNDaemon.exe", L"SimExcel.exe",  L"ZARN.cfg",
      L"ZARN-Probe.cfg", L"Pruefung.zsim", L"Haenger.zsim",
      L"README.txt",     L"deployment.md", L"checker-contract.md"};
  EXPECT_EQ(files, expected);
}

// Each limit the sample sets is the one the unpacked daemon shows for the
// checker's activity that selects it: the daemon read the file beside it.
// The suite's sections are remarks in the sample, so the daemon makes no
// folder beside it.
TEST_F(PackageTest, DaemonInTheUnpackedFolderReadsTheSample) {
  const Sections sample =
      ReadSample(ReadFileBytes(folder_ + L"ZARN.cfg").value_or(""));
  ASSERT_TRUE(sample.count("ZARN")) << "no [ZARN] in the sample";
  const std::map<std::string, std::string>& limits = sample.at("ZARN");
  // Without the file the daemon shows 00:05:00, 00:05:00 and 00:30:00; a
  // sample of exactly these values could not tell whether it was read.
  ASSERT_TRUE(limits.count("CANCELTIME") && limits.count("LOADTIME") &&
              limits.count("SPECIALCELLSTIME"));
  ASSERT_FALSE(limits.at("CANCELTIME") == "00:05:00" &&
               limits.at("LOADTIME") == "00:05:00" &&
               limits.at("SPECIALCELLSTIME") == "00:30:00");
  for (const char* section : {"Velmora-Suite Scheduler", "GLOBALS"}) {
    EXPECT_FALSE(sample.count(section))
        << "[" << section << "] makes folders the daemon never uses";
  }
  made_folders_ = {folder_ + L"Temp\\Scheduler", folder_ + L"Temp"};
  // A folder left by an earlier run would prove nothing.
  RemoveMadeFolders();

  KeyGuard key_guard(win32::ToWide(kSettingsKeyPath));
  std::unique_ptr<SettingsStore> settings = NewWin32SettingsStore();
  ASSERT_TRUE(
      settings->WriteSetting(settings::kDaemonCommand, u"PRUEFE Paket"));
  WatchedProcess daemon =
      StartProcess(folder_ + L"ZARNDaemon.exe", L"", folder_);
  ASSERT_TRUE(daemon.valid());
  HWND window = nullptr;
  const bool shown = WaitUntil(
      [&] {
        window = FindWindowOf(daemon.id(), kStatusWindowClass, nullptr,
                              /*visible_only=*/true);
        return window != nullptr;
      },
      kPatienceMs);
  if (!shown) {
    // A malformed limit in the sample holds the start-up in a message box.
    const HWND box = FindWindowOf(daemon.id(), L"#32770", nullptr);
    FAIL() << "no status window"
           << (box ? "; a message box: " + Utf8(WindowText(box)) : "");
  }

  struct Case {
    const char16_t* func;  // LiveStatusFunc
    const char* key;       // the limit it selects
  };
  for (const Case& c :
       {Case{u"Analyse", "CANCELTIME"}, Case{u"WorkbooksOpen", "LOADTIME"},
        Case{u"SpecialCells", "SPECIALCELLSTIME"}}) {
    SCOPED_TRACE(c.key);
    ASSERT_TRUE(settings->WriteSetting(settings::kLiveStatusFunc, c.func));
    const std::wstring expected =
        win32::ToWide(win32::FromAnsi(limits.at(c.key)));
    std::wstring shown_limit;
    EXPECT_TRUE(WaitUntil(
        [&] {
          shown_limit = WindowText(::GetDlgItem(window, kCancelTimeId));
          return shown_limit == expected;
        },
        kPatienceMs))
        << "shows " << Utf8(shown_limit) << ", the sample says "
        << limits.at(c.key);
  }
  for (const std::wstring& folder : made_folders_) {
    EXPECT_EQ(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES)
        << Utf8(folder) << " was made";
  }

  ::PostMessageW(::GetDlgItem(window, kCmdAbbruchId), BM_CLICK, 0, 0);
  EXPECT_TRUE(daemon.WaitForExit(kPatienceMs));
}

}  // namespace
}  // namespace zarn::e2e
