#include "daemon_fixture.h"

#include "platform/win32/wide.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_regional.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_status_view.h"
#include "testing/win32/win32_test_support.h"
#include "watchdog/build_title.h"

namespace zarn::e2e {
namespace {

std::wstring W(std::u16string_view text) { return win32::ToWide(text); }

}  // namespace

void DaemonFixture::SetUp() {
  if (!win32::RunningUnderWine()) {
    GTEST_SKIP() << "needs Wine: empties the checker's real settings key and "
                    "writes the machine's file associations";
  }
  regional_ = NewWin32Regional();
  // Wine starts its desktop process with the first window of a session;
  // that start is no part of any time the tests measure.
  ::GetDesktopWindow();
  app_ = W(temp_.path()) + L"\\ZARN Prüfung\\";
  ASSERT_TRUE(::CreateDirectoryW(app_.c_str(), nullptr));
  for (const wchar_t* exe : {L"ZARNDaemon.exe", L"SimExcel.exe"}) {
    ASSERT_TRUE(::CopyFileW((win32::OwnFolder() + exe).c_str(),
                            (app_ + exe).c_str(), FALSE))
        << Utf8(exe) << " missing beside the tests";
  }
  key_guard_ = std::make_unique<KeyGuard>(W(kSettingsKeyPath));
  settings_ = NewWin32SettingsStore();
  ResetSettings();
}

void DaemonFixture::TearDown() {
  if (IsSkipped()) return;
  // A checker may be left running on purpose; a daemon never is.
  const size_t daemons_left = ProcessesIn(app_, L"ZARNDaemon.exe").size();
  EndProcessesIn(app_);
  RemoveClasses(L".zsim");
  RemoveClasses(L"ZARN.SimWorkbook");
  settings_.reset();
  key_guard_.reset();
  if (!HasFailure()) {
    EXPECT_EQ(daemons_left, 0u) << "a daemon of the test was still running";
  }
}

void DaemonFixture::WriteConfig(const std::wstring& zarn_section_lines) {
  std::wstring text = L"[ZARN]\r\n" + zarn_section_lines;
  ASSERT_TRUE(
      WriteFileBytes(app_ + L"ZARN.cfg", win32::ToAnsi(win32::FromWide(text))));
}

std::wstring DaemonFixture::WriteScenario(const std::wstring& name,
                                          const std::wstring& phases) {
  const std::wstring text = L"caption=ZARN Simulation - " + name +
                            L"\ncommand=PRUEFE Kunde=4711\n"
                            L"log=simexcel.log\n" +
                            phases;
  const std::wstring path = app_ + name;
  EXPECT_TRUE(WriteFileBytes(path, Utf8(text)));
  return path;
}

void DaemonFixture::RegisterSimExcel() {
  WatchedProcess registering =
      StartProcess(sim_excel_exe(), L"/register", app_);
  ASSERT_TRUE(registering.valid());
  ASSERT_TRUE(registering.WaitForExit(kPatienceMs));
  ASSERT_EQ(registering.ExitCode(), 0u);
}

WatchedProcess DaemonFixture::StartSimExcel(const std::wstring& workbook) {
  return StartProcess(sim_excel_exe(), L"\"" + workbook + L"\"", app_);
}

WatchedProcess DaemonFixture::StartDaemon(const std::u16string& command) {
  SetSetting(settings::kDaemonCommand, command);
  return StartProcess(daemon_exe(), L"", app_);
}

WatchedProcess DaemonFixture::WaitForDaemon() {
  DWORD id = 0;
  WaitUntil(
      [&] {
        const auto ids = ProcessesIn(app_, L"ZARNDaemon.exe");
        if (ids.empty()) return false;
        id = ids.front();
        return true;
      },
      kPatienceMs);
  if (!id) {
    ADD_FAILURE() << "no daemon started from " << Utf8(app_)
                  << "; SimExcel's log:\n"
                  << SimLog() << "daemons anywhere: "
                  << ProcessesIn(L"", L"ZARNDaemon.exe").size();
    return {};
  }
  return WatchedProcess(id);
}

HWND DaemonFixture::WaitForStatusWindow(DWORD daemon_id) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        window = FindWindowOf(daemon_id, kStatusWindowClass, nullptr);
        return window && ::IsWindowVisible(window);
      },
      kPatienceMs);
  return window && ::IsWindowVisible(window) ? window : nullptr;
}

void DaemonFixture::Click(HWND status_window, int control_id) {
  ::PostMessageW(::GetDlgItem(status_window, control_id), BM_CLICK, 0, 0);
}

HWND DaemonFixture::WaitForNotice(DWORD daemon_id, DWORD ms) {
  const std::wstring title = W(BuildTitle());
  HWND notice = nullptr;
  WaitUntil(
      [&] {
        notice = FindWindowOf(daemon_id, L"#32770", title.c_str(), true);
        return notice != nullptr;
      },
      ms);
  return notice;
}

void DaemonFixture::PressOk(HWND notice) {
  ::PostMessageW(notice, WM_COMMAND, IDOK, 0);
}

std::wstring DaemonFixture::ControlText(HWND window, int control_id) {
  return WindowText(::GetDlgItem(window, control_id));
}

std::string DaemonFixture::SimLog() const {
  return ReadFileBytes(sim_log()).value_or("");
}

bool DaemonFixture::WaitForSimLog(const std::string& text, DWORD ms) const {
  return WaitUntil([&] { return SimLog().find(text) != std::string::npos; },
                   ms);
}

std::optional<std::pair<DWORD, std::wstring>> DaemonFixture::SimStart(
    size_t n) const {
  const std::string log = SimLog();
  const std::string marker = " start pid=";
  size_t at = std::string::npos;
  for (size_t i = 0, from = 0; i <= n; ++i, from = at + 1) {
    at = log.find(marker, from);
    if (at == std::string::npos) return std::nullopt;
  }
  const size_t id_at = at + marker.size();
  const size_t args_at = log.find(" args=", id_at);
  const size_t end = log.find("\r\n", id_at);
  if (args_at == std::string::npos || end == std::string::npos ||
      args_at > end) {
    return std::nullopt;
  }
  const DWORD id = std::stoul(log.substr(id_at, args_at - id_at));
  const std::string args = log.substr(args_at + 6, end - args_at - 6);
  return std::pair{id, W(win32::FromAnsi(args))};
}

std::optional<DWORD> DaemonFixture::DaemonStarted(size_t n) const {
  const std::string log = SimLog();
  const std::string marker = "daemon started pid=";
  size_t at = std::string::npos;
  for (size_t i = 0, from = 0; i <= n; ++i, from = at + 1) {
    at = log.find(marker, from);
    if (at == std::string::npos) return std::nullopt;
  }
  return static_cast<DWORD>(std::stoul(log.substr(at + marker.size())));
}

void DaemonFixture::ResetSettings() {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, W(kSettingsKeyPath).c_str());
  SetSetting(settings::kDaemonLog, win32::FromWide(daemon_log()));
}

std::optional<RegistryValues> DaemonFixture::SettingsSnapshot() const {
  return ReadKeyValues(W(kSettingsKeyPath));
}

std::u16string DaemonFixture::Setting(std::u16string_view key) const {
  return settings_->ReadSetting(key, kMissing);
}

void DaemonFixture::SetSetting(std::u16string_view key,
                               std::u16string_view value) {
  ASSERT_TRUE(settings_->WriteSetting(key, value));
}

std::u16string DaemonFixture::IdEntry(DWORD id) {
  std::u16string entry = u"(";
  entry += win32::FromWide(std::to_wstring(id));
  entry += u")";
  return entry;
}

bool DaemonFixture::HandOverWritten() const {
  return Setting(settings::kStartedByDaemon) != kMissing ||
         Setting(settings::kCommand) != kMissing;
}

std::u16string DaemonFixture::NowText() const {
  return regional_->FormatDateTime(NewWin32Clock()->Read().local);
}

}  // namespace zarn::e2e
