#include "process/process_control.h"

#include "common/text.h"

namespace zarn {

int32_t CountProcesses(ProcessTable& processes, std::u16string_view exe_name) {
  return static_cast<int32_t>(FindProcesses(processes, exe_name).size());
}

std::vector<uint32_t> FindProcesses(ProcessTable& processes,
                                    std::u16string_view exe_name) {
  std::vector<uint32_t> found;
  const auto entries = processes.Snapshot();
  if (!entries) return found;
  // One daemon per user: the daemons of other users are theirs, not a
  // second copy of ours. Only the processes of the name are asked for their
  // owner; asking opens each of them.
  // Windows 9x has one user and no tokens to ask.
  const bool by_owner = processes.IsNtFamily();
  const uint32_t own_id = processes.CurrentProcessId();
  for (const ProcessEntry& entry : *entries) {
    // A suffix match: "ZARNDaemon.exe" also finds OldZARNDaemon.exe, and on
    // Windows 9x the full path Toolhelp gives there.
    if (!EndsWithIgnoreCase(entry.exe_name, exe_name)) continue;
    if (by_owner && entry.process_id != own_id &&
        processes.OwnerOf(entry.process_id) != ProcessOwner::kCurrentUser) {
      continue;
    }
    found.push_back(entry.process_id);
  }
  return found;
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
