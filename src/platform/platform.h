// Everything Main takes from the outside world, bundled so that the entry
// point can build it from Win32 backends and tests from fakes.
#ifndef ZARN_PLATFORM_PLATFORM_H_
#define ZARN_PLATFORM_PLATFORM_H_

#include <string>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/dump_writer.h"
#include "platform/event_log.h"
#include "platform/file_appender.h"
#include "platform/file_system.h"
#include "platform/http_probe.h"
#include "platform/instance_lock.h"
#include "platform/machine_registry.h"
#include "platform/message_box.h"
#include "platform/network_drives.h"
#include "platform/process_table.h"
#include "platform/regional.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/status_view.h"
#include "platform/user_name.h"
#include "platform/window_finder.h"
#include "platform/wmi_process_service.h"

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
  InstanceLock& instance_lock;
  DumpWriter& dumps;
  EventLog& event_log;
  MachineRegistry& machine_registry;
  // The full path of the running executable.
  std::u16string exe_path;
  // The command line without the program's name, as VB's Command$ gives it.
  std::u16string command_line;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_PLATFORM_H_
