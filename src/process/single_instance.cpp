#include "process/single_instance.h"

#include "process/process_control.h"

namespace zarn {

bool IsSecondInstance(InstanceLock& lock, ProcessTable& processes,
                      std::u16string_view exe_name) {
  switch (lock.Claim(kInstanceLockWaitMs)) {
    case InstanceClaim::kClaimed:
      return false;
    case InstanceClaim::kHeldByAnother:
      return true;
    case InstanceClaim::kUnavailable:
      break;
  }
  // The running daemon counts itself.
  return CountProcesses(processes, exe_name) > 1;
}

}  // namespace zarn
