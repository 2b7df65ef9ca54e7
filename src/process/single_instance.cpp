#include "process/single_instance.h"

#include "process/process_control.h"

namespace zarn {
namespace {

// Our user's processes of our name that still count: ourselves, and every
// other one that has not let go of the lock for good.
int32_t CountStaying(InstanceLock& lock, ProcessTable& processes,
                     std::u16string_view exe_name) {
  const uint32_t own_id = processes.CurrentProcessId();
  int32_t count = 0;
  for (uint32_t id : FindProcesses(processes, exe_name)) {
    if (id == own_id || !lock.HasLetGo(id)) ++count;
  }
  return count;
}

}  // namespace

bool IsSecondInstance(InstanceLock& lock, ProcessTable& processes, Clock& clock,
                      std::u16string_view exe_name) {
  if (lock.Claim(kInstanceLockWaitMs) == InstanceClaim::kHeldByAnother) {
    return true;
  }
  // A daemon that has let go of the lock says so, and never counts, however
  // long it stays for its last notice. One that lost the lock to us is on
  // its way out; give it the time to go. The running daemon counts itself.
  for (uint32_t waited = 0; CountStaying(lock, processes, exe_name) > 1;
       waited += kOtherDaemonPollMs) {
    if (waited >= kOtherDaemonEndWaitMs) return true;
    clock.Sleep(kOtherDaemonPollMs);
  }
  return false;
}

}  // namespace zarn
