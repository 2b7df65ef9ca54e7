#include "testing/fake_platform.h"

namespace zarn {

FakePlatform::FakePlatform(DateTime start, FakeTimeZone zone)
    : clock(start, zone) {
  message_box.set_journal(&journal);
  status_view.set_journal(&journal);
  shell.set_journal(&journal);
  file_appender.set_journal(&journal);
  event_log.set_journal(&journal);
}

Platform FakePlatform::platform() { return platform(status_view); }

Platform FakePlatform::platform(StatusView& view) {
  return Platform{
      settings,      clock,         regional,    message_box,      view,
      shell,         file_appender, file_system, network_drives,   http,
      code_pages,    processes,     windows,     user_name,        wmi,
      instance_lock, dumps,         event_log,   machine_registry, exe_path,
      command_line};
}

}  // namespace zarn
