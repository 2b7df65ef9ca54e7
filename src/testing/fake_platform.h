// Every seam of Main as a fake, in one place: a test sets the fakes up,
// runs Main on platform() and asks the fakes what happened.
#ifndef ZARN_TESTING_FAKE_PLATFORM_H_
#define ZARN_TESTING_FAKE_PLATFORM_H_

#include <string>

#include "platform/platform.h"
#include "testing/event_journal.h"
#include "testing/fake_clock.h"
#include "testing/fake_code_page_converter.h"
#include "testing/fake_dump_writer.h"
#include "testing/fake_event_log.h"
#include "testing/fake_file_appender.h"
#include "testing/fake_file_system.h"
#include "testing/fake_http_probe.h"
#include "testing/fake_instance_lock.h"
#include "testing/fake_machine_registry.h"
#include "testing/fake_message_box.h"
#include "testing/fake_network_drives.h"
#include "testing/fake_process_table.h"
#include "testing/fake_regional.h"
#include "testing/fake_settings_store.h"
#include "testing/fake_shell.h"
#include "testing/fake_status_view.h"
#include "testing/fake_user_name.h"
#include "testing/fake_window_finder.h"
#include "testing/fake_wmi_process_service.h"

namespace zarn {

struct FakePlatform {
  // The message box, the view, the shell, the log file and the event log
  // share `journal`.
  explicit FakePlatform(DateTime start = DateTime::FromCivil(2026, 12, 7, 9, 0,
                                                             0),
                        FakeTimeZone zone = FakeTimeZone::EuropeBerlin());
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  // References to the fakes, with the executable path and command line.
  Platform platform();
  // The same with another view in place of `status_view`.
  Platform platform(StatusView& view);

  EventJournal journal;
  FakeSettingsStore settings;
  FakeClock clock;
  FakeRegional regional;
  FakeMessageBox message_box;
  FakeStatusView status_view{&clock};
  FakeShell shell;
  FakeFileAppender file_appender;
  FakeFileSystem file_system;
  FakeNetworkDrives network_drives;
  FakeHttpProbe http;
  FakeCodePageConverter code_pages;
  FakeProcessTable processes;
  FakeWindowFinder windows;
  FakeUserNameSource user_name;
  FakeWmiProcessService wmi;
  FakeInstanceLock instance_lock;
  FakeDumpWriter dumps{&clock};
  FakeEventLog event_log;
  FakeMachineRegistry machine_registry;
  std::u16string exe_path = u"C:\\Tools\\Daemon\\ZARNDaemon.exe";
  std::u16string command_line;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_PLATFORM_H_
