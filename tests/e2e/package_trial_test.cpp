// The trial an administrator runs from the unpacked package, as
// deployment.md describes it: ZARN-Probe.cfg renamed to ZARN.cfg,
// SimExcel registered from the folder, the shipped Pruefung.zsim opened
// through its association; the checker reports, hangs, is restarted,
// reports again and finishes. The test shortens the trial configuration's
// one-minute limits; the scenario is the one in the package.
#include <gtest/gtest.h>
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "daemon_fixture.h"
#include "e2e_support.h"
#include "package_folder.h"
#include "platform/settings_store.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_settings_store.h"
#include "testing/win32/test_temp_folder.h"

namespace zarn::e2e {
namespace {

// Patience for a whole cycle: the scenario reports for 15 seconds before
// and 15 seconds after the restart.
constexpr DWORD kCycleMs = 120000;
constexpr char kTrialLimit[] = "00:00:05";

// The value of `key` in a configuration's text; nothing when no line
// starts with "KEY=".
std::optional<std::string> ValueOf(const std::string& text,
                                   const std::string& key) {
  size_t at = text.find("\n" + key + "=");
  if (at == std::string::npos) return std::nullopt;
  at += key.size() + 2;
  const size_t end = text.find_first_of("\r\n", at);
  return text.substr(at, end == std::string::npos ? end : end - at);
}

class PackageTrialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32::RunningUnderWine()) {
      GTEST_SKIP() << "needs Wine: empties the checker's real settings key "
                      "and writes the machine's file associations";
    }
    folder_ = PackageFolder();
    ASSERT_TRUE(FileExists(folder_ + L"ZARN.cfg"))
        << Utf8(folder_) << " missing: run through CTest, which unpacks it";
    sample_ = ReadFileBytes(folder_ + L"ZARN.cfg");
    ASSERT_TRUE(sample_.has_value());
    ::GetDesktopWindow();
  }

  // Puts the folder back as the ZIP holds it, for the next package test.
  void TearDown() override {
    if (IsSkipped() || folder_.empty()) return;
    const size_t left = ProcessesIn(folder_).size();
    EndProcessesIn(folder_);
    if (sample_) WriteFileBytes(folder_ + L"ZARN.cfg", *sample_);
    for (const wchar_t* file : {L"simexcel.log", L"daemon.log"}) {
      ::DeleteFileW((folder_ + file).c_str());
    }
    if (!dumps_.empty()) RemoveFolderOfFiles(dumps_);
    RemoveClasses(L".zsim");
    RemoveClasses(L"ZARN.SimWorkbook");
    EXPECT_EQ(left, 0u) << "a program of the trial was still running";
  }

  static void RemoveFolderOfFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
      } while (::FindNextFileW(search, &found));
      ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
  }

  // Runs the unpacked SimExcel.exe with `argument`; its exit code.
  std::optional<DWORD> RunSimExcel(const std::wstring& argument) {
    WatchedProcess process =
        StartProcess(folder_ + L"SimExcel.exe", argument, folder_);
    if (!process.valid() || !process.WaitForExit(kPatienceMs)) return {};
    return process.ExitCode();
  }

  std::wstring folder_;
  std::optional<std::string> sample_;
  // The dump folder of the trial configuration, when it names one.
  std::wstring dumps_;
};

TEST_F(PackageTrialTest, SampleScenarioRunsAWholeCycleFromTheUnpackedFolder) {
  // ZARN-Probe.cfg as ZARN.cfg, with limits of seconds instead of a minute.
  std::string trial = ReadFileBytes(folder_ + L"ZARN-Probe.cfg").value_or("");
  for (const std::string key : {"CANCELTIME", "LOADTIME", "SPECIALCELLSTIME"}) {
    const std::optional<std::string> limit = ValueOf(trial, key);
    ASSERT_TRUE(limit.has_value()) << "no " << key << " in ZARN-Probe.cfg";
    const size_t at = trial.find("\n" + key + "=") + key.size() + 2;
    trial.replace(at, limit->size(), kTrialLimit);
  }
  if (const auto dumps = ValueOf(trial, "DUMPPFAD")) {
    dumps_ = folder_ + win32::ToWide(win32::FromAnsi(*dumps));
  }
  ASSERT_TRUE(WriteFileBytes(folder_ + L"ZARN.cfg", trial));

  KeyGuard key_guard(win32::ToWide(kSettingsKeyPath));
  std::unique_ptr<SettingsStore> settings = NewWin32SettingsStore();
  const std::wstring daemon_log = folder_ + L"daemon.log";
  ASSERT_TRUE(settings->WriteSetting(settings::kDaemonLog,
                                     win32::FromWide(daemon_log)));
  ASSERT_EQ(RunSimExcel(L"/register"), 0u);

  // Opened as a double-click opens it: through the association.
  const std::wstring workbook = folder_ + L"Pruefung.zsim";
  SHELLEXECUTEINFOW open = {};
  open.cbSize = sizeof open;
  open.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  open.lpVerb = L"open";
  open.lpFile = workbook.c_str();
  open.lpDirectory = folder_.c_str();
  open.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(::ShellExecuteExW(&open)) << ::GetLastError();
  ASSERT_NE(open.hProcess, nullptr);
  WatchedProcess first(::GetProcessId(open.hProcess), open.hProcess);

  // The scenario's first activity, then the one that lasts.
  auto activity_becomes = [&](std::u16string_view expected) {
    return WaitUntil(
        [&] {
          return settings->ReadSetting(settings::kLiveStatusFunc, u"") ==
                 expected;
        },
        kPatienceMs);
  };
  EXPECT_TRUE(activity_becomes(u"WorkbooksOpen"));
  EXPECT_TRUE(activity_becomes(u"Analyse"));

  const std::wstring sim_log_path = folder_ + L"simexcel.log";
  auto sim_log = [&] { return ReadFileBytes(sim_log_path).value_or(""); };
  EXPECT_TRUE(first.WaitForExit(kCycleMs)) << "the hung SimExcel stayed\n"
                                           << sim_log();
  ASSERT_TRUE(WaitUntil(
      [&] { return sim_log().find(" finished") != std::string::npos; },
      kCycleMs, 250))
      << sim_log();
  EXPECT_TRUE(
      WaitUntil([&] { return ProcessesIn(folder_).empty(); }, kPatienceMs))
      << "the restarted SimExcel or a daemon still runs";

  const std::string log = sim_log();
  SCOPED_TRACE(log);
  // Opened once by hand, once by the daemon with /r; each copy started a
  // daemon; the first fell silent, the restarted one found the hand-over.
  EXPECT_EQ(Count(log, " start pid="), 2u);
  EXPECT_EQ(Count(log, " args=/r \"" + Utf8(workbook) + "\""), 1u);
  EXPECT_EQ(Count(log, " daemon started pid="), 2u);
  EXPECT_EQ(Count(log, " silent"), 1u);
  EXPECT_EQ(Count(log, " restarted COMMAND=\"PRUEFE Kunde=4711\""), 1u);
  EXPECT_LT(log.find(" silent"), log.find(" restarted COMMAND="));
  EXPECT_EQ(settings->ReadSetting(settings::kLiveStatus, u""), u"Finished");
  const std::string daemon_lines = ReadFileBytes(daemon_log).value_or("");
  EXPECT_EQ(Count(daemon_lines, "ZARND: Start ZARN '" + Utf8(workbook) + "'"),
            1u)
      << daemon_lines;

  // The trial's last step: the association goes again.
  EXPECT_EQ(RunSimExcel(L"/unregister"), 0u);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    HKEY key = nullptr;
    EXPECT_NE(
        ::RegOpenKeyExW(root, L"Software\\Classes\\.zsim", 0, KEY_READ, &key),
        ERROR_SUCCESS);
    if (key) ::RegCloseKey(key);
  }
}

// Each scenario of the package is one SimExcel reads: started on it, in a
// folder without the daemon, SimExcel reports rather than logging an
// error. (Haenger.zsim's restarts need the restart limit to end.)
TEST_F(PackageTrialTest, SimExcelReadsEveryShippedScenario) {
  KeyGuard key_guard(win32::ToWide(kSettingsKeyPath));
  win32::TestTempFolder temp;
  const std::wstring folder = win32::ToWide(temp.path()) + L"\\";
  ASSERT_TRUE(::CopyFileW((folder_ + L"SimExcel.exe").c_str(),
                          (folder + L"SimExcel.exe").c_str(), FALSE));
  for (const wchar_t* scenario : {L"Pruefung.zsim", L"Haenger.zsim"}) {
    SCOPED_TRACE(Utf8(scenario));
    ASSERT_TRUE(::CopyFileW((folder_ + scenario).c_str(),
                            (folder + scenario).c_str(), FALSE));
    const std::wstring log_path = folder + L"simexcel.log";
    ::DeleteFileW(log_path.c_str());
    WatchedProcess sim = StartProcess(
        folder + L"SimExcel.exe", L"\"" + folder + scenario + L"\"", folder);
    ASSERT_TRUE(sim.valid());
    std::string log;
    EXPECT_TRUE(WaitUntil(
        [&] {
          log = ReadFileBytes(log_path).value_or("");
          return log.find(" report ") != std::string::npos ||
                 log.find(" error ") != std::string::npos;
        },
        kPatienceMs));
    EndProcessesIn(folder);
    EXPECT_EQ(log.find(" error "), std::string::npos) << log;
    EXPECT_NE(log.find(" report "), std::string::npos) << log;
  }
}

}  // namespace
}  // namespace zarn::e2e
