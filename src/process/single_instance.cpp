#include "process/single_instance.h"

#include "process/process_control.h"

namespace zarn {

bool IsSecondInstance(InstanceLock& lock, ProcessTable& processes, Clock& clock,
                      std::u16string_view exe_name) {
  if (lock.Claim(kInstanceLockWaitMs) == InstanceClaim::kHeldByAnother) {
    return true;
  }
  // A daemon that let go of the lock, or lost it to us, is on its way out;
  // give it the time to go. Without a lock of ours the same holds for a
  // daemon that has ended its supervision. The running daemon counts itself.
  for (uint32_t waited = 0; CountProcesses(processes, exe_name) > 1;
       waited += kOtherDaemonPollMs) {
    if (waited >= kOtherDaemonEndWaitMs) return true;
    clock.Sleep(kOtherDaemonPollMs);
  }
  return false;
}

}  // namespace zarn
