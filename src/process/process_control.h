// Counting processes by executable name and ending one by identifier.
#ifndef ZARN_PROCESS_PROCESS_CONTROL_H_
#define ZARN_PROCESS_PROCESS_CONTROL_H_

#include <cstdint>
#include <string_view>

#include "platform/process_table.h"

namespace zarn {

// The number of processes in our own session whose executable name ends
// with `exe_name`, ignoring letter case; an empty name counts every process
// of the session. 0 when no snapshot can be taken. The count is 32-bit and
// cannot overflow.
//
// Where a session can't be read, a process counts rather than hides: one
// whose session is unknown counts as ours, and when our own session is
// unknown every matching process of the machine counts. So a second copy in
// our session is never overlooked; the price is a daemon that ends beside
// another user's on a host whose sessions can't be read.
int32_t CountProcesses(ProcessTable& processes, std::u16string_view exe_name);

// Ends a process with `exit_code`, with the debug privilege enabled around
// the call on NT-family systems. True when the system accepted it.
bool KillProcess(ProcessTable& processes, uint32_t process_id,
                 uint32_t exit_code);

}  // namespace zarn

#endif  // ZARN_PROCESS_PROCESS_CONTROL_H_
