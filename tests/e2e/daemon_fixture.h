// The stage of every end-to-end test: a folder of its own with copies of
// ZARNDaemon.exe and SimExcel.exe and a ZARN.cfg of short limits, the
// checker's real settings key emptied before and restored after, and every
// process started from that folder ended afterwards, pass or fail.
#ifndef ZARN_TESTS_E2E_DAEMON_FIXTURE_H_
#define ZARN_TESTS_E2E_DAEMON_FIXTURE_H_

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "e2e_support.h"
#include "platform/regional.h"
#include "platform/settings_store.h"
#include "testing/win32/test_temp_folder.h"

namespace zarn::e2e {

// How long a test waits for anything that should take a second or two.
inline constexpr DWORD kPatienceMs = 15000;

class DaemonFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The daemon's folder, with a trailing backslash. Its name holds a blank
  // and an umlaut, as real installation folders may.
  const std::wstring& app() const { return app_; }
  std::wstring daemon_exe() const { return app_ + L"ZARNDaemon.exe"; }
  std::wstring sim_excel_exe() const { return app_ + L"SimExcel.exe"; }
  std::wstring daemon_log() const { return app_ + L"daemon.log"; }
  std::wstring sim_log() const { return app_ + L"simexcel.log"; }

  // ZARN.cfg beside the daemon, in ANSI with CR LF line ends.
  void WriteConfig(const std::wstring& zarn_section_lines);
  // A scenario for SimExcel: caption, command and log are set; `phases`
  // adds the [first] and [restarted] parts.
  std::wstring WriteScenario(const std::wstring& name,
                             const std::wstring& phases);
  // Associates .zsim with the folder's SimExcel.exe, as a user would.
  void RegisterSimExcel();

  // Starts the folder's SimExcel.exe on a workbook of the folder.
  WatchedProcess StartSimExcel(const std::wstring& workbook);
  // Starts the folder's ZARNDaemon.exe as the checker would, after
  // writing DAEMONCOMMAND = `command`.
  WatchedProcess StartDaemon(const std::u16string& command);
  // The first daemon running from the folder, once there is one.
  WatchedProcess WaitForDaemon();
  // The daemon's status window, once it is visible.
  HWND WaitForStatusWindow(DWORD daemon_id);
  // Clicks a button of the status window as the user would.
  static void Click(HWND status_window, int control_id);
  // The notice of a daemon that refused a restart at the limit, once it is
  // visible; null when none shows within `ms`.
  static HWND WaitForNotice(DWORD daemon_id, DWORD ms = kPatienceMs);
  // Closes the notice with OK, as the person at the screen would.
  static void PressOk(HWND notice);
  static std::wstring ControlText(HWND window, int control_id);

  // SimExcel's event log, or empty.
  std::string SimLog() const;
  bool WaitForSimLog(const std::string& text, DWORD ms = kPatienceMs) const;
  // The id in the "start pid=<id> args=<args>" line number `n` (from 0),
  // with its args; nothing when there is no such line.
  std::optional<std::pair<DWORD, std::wstring>> SimStart(size_t n) const;
  // The id in SimExcel's "daemon started pid=" line number `n` (from 0).
  std::optional<DWORD> DaemonStarted(size_t n) const;

  // Empties the checker's key again, DaemonLog apart, for the next case.
  void ResetSettings();
  // Every value of the checker's key.
  std::optional<RegistryValues> SettingsSnapshot() const;
  std::u16string Setting(std::u16string_view key) const;
  // The entry "(<id>)" of the process-ID list.
  static std::u16string IdEntry(DWORD id);
  void SetSetting(std::u16string_view key, std::u16string_view value);
  // Whether the daemon left its hand-over values: none of the end paths
  // other than the restart writes them.
  bool HandOverWritten() const;

  // The current local time as the checker writes it into LiveStatusTime.
  std::u16string NowText() const;
  std::unique_ptr<Regional> regional_;

  static constexpr char16_t kMissing[] = u"<missing>";

 private:
  win32::TestTempFolder temp_;
  std::wstring app_;
  std::unique_ptr<KeyGuard> key_guard_;
  std::unique_ptr<SettingsStore> settings_;
};

}  // namespace zarn::e2e

#endif  // ZARN_TESTS_E2E_DAEMON_FIXTURE_H_
