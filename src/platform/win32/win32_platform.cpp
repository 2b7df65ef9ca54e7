#include "platform/win32/win32_platform.h"

#include <windows.h>
// windows.h renames MessageBox to MessageBoxW; our seam keeps its name.
#undef MessageBox

#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_dump_writer.h"
#include "platform/win32/win32_event_log.h"
#include "platform/win32/win32_file_appender.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_http_probe.h"
#include "platform/win32/win32_instance_lock.h"
#include "platform/win32/win32_machine_registry.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_network_drives.h"
#include "platform/win32/win32_process_table.h"
#include "platform/win32/win32_regional.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_status_view.h"
#include "platform/win32/win32_user_name.h"
#include "platform/win32/win32_window_finder.h"
#include "platform/win32/win32_wmi_process_service.h"

namespace zarn {
namespace {

std::u16string ExePath() {
  // Long install paths exceed MAX_PATH; grow until the name fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(),
                                         static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return win32::FromWide({buffer.data(), n});
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

class Win32PlatformImpl final : public Win32Platform {
 public:
  Win32PlatformImpl()
      : settings_(NewWin32SettingsStore()),
        clock_(NewWin32Clock()),
        regional_(NewWin32Regional()),
        message_box_(NewWin32MessageBox()),
        status_view_(NewWin32StatusView()),
        shell_(NewWin32Shell()),
        file_appender_(NewWin32FileAppender()),
        file_system_(NewWin32FileSystem()),
        network_drives_(NewWin32NetworkDrives()),
        http_(NewWin32HttpProbe()),
        code_pages_(NewWin32CodePageConverter()),
        processes_(NewWin32ProcessTable()),
        windows_(NewWin32WindowFinder()),
        user_name_(NewWin32UserNameSource()),
        wmi_(NewWin32WmiProcessService()),
        instance_lock_(NewWin32InstanceLock()),
        dumps_(NewWin32DumpWriter()),
        event_log_(NewWin32EventLog()),
        machine_registry_(NewWin32MachineRegistry()),
        platform_{*settings_,
                  *clock_,
                  *regional_,
                  *message_box_,
                  *status_view_,
                  *shell_,
                  *file_appender_,
                  *file_system_,
                  *network_drives_,
                  *http_,
                  *code_pages_,
                  *processes_,
                  *windows_,
                  *user_name_,
                  *wmi_,
                  *instance_lock_,
                  *dumps_,
                  *event_log_,
                  *machine_registry_,
                  ExePath(),
                  CommandLineArguments(win32::FromWide(::GetCommandLineW()))} {}

  Platform& platform() override { return platform_; }

 private:
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<Regional> regional_;
  std::unique_ptr<MessageBox> message_box_;
  std::unique_ptr<StatusView> status_view_;
  std::unique_ptr<Shell> shell_;
  std::unique_ptr<FileAppender> file_appender_;
  std::unique_ptr<FileSystem> file_system_;
  std::unique_ptr<NetworkDrives> network_drives_;
  std::unique_ptr<HttpProbe> http_;
  std::unique_ptr<CodePageConverter> code_pages_;
  std::unique_ptr<ProcessTable> processes_;
  std::unique_ptr<WindowFinder> windows_;
  std::unique_ptr<UserNameSource> user_name_;
  std::unique_ptr<WmiProcessService> wmi_;
  std::unique_ptr<InstanceLock> instance_lock_;
  std::unique_ptr<DumpWriter> dumps_;
  std::unique_ptr<EventLog> event_log_;
  std::unique_ptr<MachineRegistry> machine_registry_;
  Platform platform_;
};

}  // namespace

std::unique_ptr<Win32Platform> NewWin32Platform() {
  return std::make_unique<Win32PlatformImpl>();
}

std::u16string CommandLineArguments(std::u16string_view line) {
  size_t i = 0;
  // The program's name: quoted, or up to the first blank or tab.
  if (i < line.size() && line[i] == u'"') {
    ++i;
    while (i < line.size() && line[i] != u'"') ++i;
    if (i < line.size()) ++i;
  } else {
    while (i < line.size() && line[i] != u' ' && line[i] != u'\t') ++i;
  }
  while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
  return std::u16string(line.substr(i));
}

}  // namespace zarn
