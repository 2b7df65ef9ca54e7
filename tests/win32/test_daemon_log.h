// For the backend tests that write the daemon log: a DaemonLog on the real
// clock, regional settings, ANSI code page and file appender, with the
// path helpers on the real file system, HTTP probe and network drives.
#ifndef ZARN_TESTS_WIN32_TEST_DAEMON_LOG_H_
#define ZARN_TESTS_WIN32_TEST_DAEMON_LOG_H_

#include <memory>

#include "paths/helpers.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_file_appender.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_http_probe.h"
#include "platform/win32/win32_network_drives.h"
#include "platform/win32/win32_regional.h"
#include "watchdog/daemon_log.h"

namespace zarn::win32 {

struct TestDaemonLog {
  TestDaemonLog() = default;
  TestDaemonLog(const TestDaemonLog&) = delete;
  TestDaemonLog& operator=(const TestDaemonLog&) = delete;

  std::unique_ptr<Clock> clock = NewWin32Clock();
  std::unique_ptr<Regional> regional = NewWin32Regional();
  std::unique_ptr<CodePageConverter> code_pages = NewWin32CodePageConverter();
  std::unique_ptr<FileAppender> appender = NewWin32FileAppender();
  std::unique_ptr<FileSystem> fs = NewWin32FileSystem();
  std::unique_ptr<HttpProbe> http = NewWin32HttpProbe();
  std::unique_ptr<NetworkDrives> drives = NewWin32NetworkDrives();
  Unc unc{*drives};
  Helpers helpers{*fs, *http, unc};
  DaemonLog log{helpers, *appender, *clock, *regional, *code_pages};
};

}  // namespace zarn::win32

#endif  // ZARN_TESTS_WIN32_TEST_DAEMON_LOG_H_
