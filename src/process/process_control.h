// Counting processes by executable name and ending one by identifier.
#ifndef ZARN_PROCESS_PROCESS_CONTROL_H_
#define ZARN_PROCESS_PROCESS_CONTROL_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/process_table.h"

namespace zarn {

// The number of processes of our own user, in any session, whose executable
// name ends with `exe_name`, ignoring letter case; an empty name counts every
// process of the user. Our own process always counts. 0 when no snapshot can
// be taken. The count is 32-bit and cannot overflow.
//
// Only a process whose owner reads as our user counts. Another user's
// process never does, and neither does one that can't be opened: to a
// standard user that is another user's process, and the owner of a process
// that refuses us is no business of ours. (Our own elevated daemon may
// refuse us too; the instance lock, not this count, finds that one.)
int32_t CountProcesses(ProcessTable& processes, std::u16string_view exe_name);
// The ids of the processes that CountProcesses counts, in the snapshot's
// order; none when no snapshot can be taken.
std::vector<uint32_t> FindProcesses(ProcessTable& processes,
                                    std::u16string_view exe_name);

// Ends a process with `exit_code`, with the debug privilege enabled around
// the call on NT-family systems. True when the system accepted it.
bool KillProcess(ProcessTable& processes, uint32_t process_id,
                 uint32_t exit_code);

}  // namespace zarn

#endif  // ZARN_PROCESS_PROCESS_CONTROL_H_
