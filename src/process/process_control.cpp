#include "process/process_control.h"

#include "common/text.h"

namespace zarn {

int32_t CountProcesses(ProcessTable& processes, std::u16string_view exe_name) {
  const auto entries = processes.Snapshot();
  if (!entries) return 0;
  int32_t count = 0;
  for (const ProcessEntry& entry : *entries) {
    // A suffix match: "ZARNDaemon.exe" also finds OldZARNDaemon.exe, and on
    // Windows 9x the full path Toolhelp gives there.
    if (EndsWithIgnoreCase(entry.exe_name, exe_name)) ++count;
  }
  return count;
}

bool KillProcess(ProcessTable& processes, uint32_t process_id,
                 uint32_t exit_code) {
  // Windows 9x has no tokens: there any process may end any other.
  const bool nt_family = processes.IsNtFamily();
  if (nt_family) {
    if (!processes.OpenOwnToken()) return false;
    if (!processes.LookupDebugPrivilege() ||
        !processes.SetDebugPrivilege(true)) {
      processes.CloseOwnToken();
      return false;
    }
  }
  const bool ended = processes.Terminate(process_id, exit_code);
  if (nt_family) {
    // The privilege is ours only for the kill; a failure to drop it again
    // changes nothing about the kill itself.
    processes.SetDebugPrivilege(false);
    processes.CloseOwnToken();
  }
  return ended;
}

}  // namespace zarn
