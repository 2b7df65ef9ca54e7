#include "process/single_instance.h"

#include "process/process_control.h"

namespace zarn {

bool IsSecondInstance(InstanceLock& lock, ProcessTable& processes, Clock& clock,
                      std::u16string_view exe_name) {
  switch (lock.Claim(kInstanceLockWaitMs)) {
    case InstanceClaim::kClaimed:
      break;
    case InstanceClaim::kHeldByAnother:
      return true;
    case InstanceClaim::kUnavailable:
      // The running daemon counts itself.
      return CountProcesses(processes, exe_name) > 1;
  }
  // A daemon that lost the lock to us is ending; give it the time to.
  for (uint32_t waited = 0; CountProcesses(processes, exe_name) > 1;
       waited += kOtherDaemonPollMs) {
    if (waited >= kOtherDaemonEndWaitMs) return true;
    clock.Sleep(kOtherDaemonPollMs);
  }
  return false;
}

}  // namespace zarn
