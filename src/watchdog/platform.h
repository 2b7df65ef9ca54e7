// Everything Main takes from the outside world, bundled so that the entry
// point can build it from Win32 backends and tests from fakes.
#ifndef ZARN_WATCHDOG_PLATFORM_H_
#define ZARN_WATCHDOG_PLATFORM_H_

#include <string>

#include "config/code_page.h"
#include "paths/file_system.h"
#include "paths/http_probe.h"
#include "paths/network_drives.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/regional.h"
#include "process/process_table.h"
#include "process/user_name.h"
#include "process/window_finder.h"
#include "process/wmi_process_service.h"
#include "watchdog/file_appender.h"
#include "watchdog/settings_store.h"
#include "watchdog/shell.h"
#include "watchdog/status_view.h"

namespace zarn {

struct Platform {
  SettingsStore& settings;
  Clock& clock;
  Regional& regional;
  MessageBox& message_box;
  StatusView& status_view;
  Shell& shell;
  FileAppender& file_appender;
  FileSystem& file_system;
  NetworkDrives& network_drives;
  HttpProbe& http;
  CodePageConverter& code_pages;
  ProcessTable& processes;
  WindowFinder& windows;
  UserNameSource& user_name;
  WmiProcessService& wmi;
  // The full path of the running executable.
  std::u16string exe_path;
  // The command line without the program's name, as VB's Command$ gives it.
  std::u16string command_line;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_PLATFORM_H_
