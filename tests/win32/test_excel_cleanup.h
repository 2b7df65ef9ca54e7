// For the tests of the clean-up before a restart: an ExcelCleanUp on the
// real machine's backends, its settings under a test key of its own.
#ifndef ZARN_TESTS_WIN32_TEST_EXCEL_CLEANUP_H_
#define ZARN_TESTS_WIN32_TEST_EXCEL_CLEANUP_H_

#include <memory>
#include <string_view>

#include "platform/win32/win32_process_table.h"
#include "platform/win32/win32_regional.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_user_name.h"
#include "platform/win32/win32_window_finder.h"
#include "platform/win32/win32_wmi_process_service.h"
#include "process/excel_cleanup.h"

namespace zarn::win32_test {

// The backends and the clean-up that works on them; the settings live
// under HKEY_CURRENT_USER\`key_path`.
struct Win32CleanUpRig {
  explicit Win32CleanUpRig(std::u16string_view key_path)
      : settings(NewWin32SettingsStore(key_path)) {}

  std::unique_ptr<SettingsStore> settings;
  std::unique_ptr<ProcessTable> processes = NewWin32ProcessTable();
  std::unique_ptr<WindowFinder> windows = NewWin32WindowFinder();
  std::unique_ptr<UserNameSource> user_name = NewWin32UserNameSource();
  std::unique_ptr<WmiProcessService> wmi = NewWin32WmiProcessService();
  std::unique_ptr<Regional> regional = NewWin32Regional();
  ExcelCleanUp cleanup{*settings,  *processes, *windows,
                       *user_name, *wmi,       *regional};
};

}  // namespace zarn::win32_test

#endif  // ZARN_TESTS_WIN32_TEST_EXCEL_CLEANUP_H_
