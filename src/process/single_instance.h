// The single-instance rule: one daemon per user, in whatever session it
// runs, and another user's daemon never counts.
#ifndef ZARN_PROCESS_SINGLE_INSTANCE_H_
#define ZARN_PROCESS_SINGLE_INSTANCE_H_

#include <cstdint>
#include <string_view>

#include "platform/instance_lock.h"
#include "platform/process_table.h"

namespace zarn {

// How long a starting daemon waits for the lock. A daemon that holds it
// and is just ending hands it over within that time; one that supervises
// keeps it, and the newcomer ends well within two seconds.
inline constexpr uint32_t kInstanceLockWaitMs = 500;

// True when another daemon of our user runs, so that this one must end.
//
// The user's instance lock decides: its holder is the one daemon, so two
// daemons started in the same instant never both end and never both run.
// Only where no lock of ours can be had (another user made the name first)
// does the count of our own user's processes named `exe_name` decide, as
// before the lock; that count can't see a daemon starting in the same
// instant, but another user can never lock us out.
bool IsSecondInstance(InstanceLock& lock, ProcessTable& processes,
                      std::u16string_view exe_name);

}  // namespace zarn

#endif  // ZARN_PROCESS_SINGLE_INSTANCE_H_
