// The single-instance rule: one daemon per user, in whatever session it
// runs, and another user's daemon never counts.
#ifndef ZARN_PROCESS_SINGLE_INSTANCE_H_
#define ZARN_PROCESS_SINGLE_INSTANCE_H_

#include <cstdint>
#include <string_view>

#include "platform/clock.h"
#include "platform/instance_lock.h"
#include "platform/process_table.h"

namespace zarn {

// How long a starting daemon waits for the lock. A daemon that holds it
// and is just ending hands it over within that time; one that supervises
// keeps it, and the newcomer ends well within two seconds.
inline constexpr uint32_t kInstanceLockWaitMs = 500;
// How long the lock's holder waits for another process of our name to end.
// A daemon that lost the lock ends after its own wait; one still there after
// this is a copy that takes no lock (an older build) and makes us the second.
inline constexpr uint32_t kOtherDaemonEndWaitMs = 3000;
inline constexpr uint32_t kOtherDaemonPollMs = 100;

// True when another daemon of our user runs, so that this one must end.
//
// The user's instance lock decides between daemons that take it: its
// holder is the one daemon, so two daemons started in the same instant never
// both end and never both run. The holder still counts our own user's
// processes named `exe_name`: one that is still there after
// kOtherDaemonEndWaitMs takes no lock, and makes us the second instance as
// it always did. Where no lock of ours can be had (another user made the
// name first) the count alone decides; it can't see a daemon starting in the
// same instant, but another user can never lock us out.
bool IsSecondInstance(InstanceLock& lock, ProcessTable& processes, Clock& clock,
                      std::u16string_view exe_name);

}  // namespace zarn

#endif  // ZARN_PROCESS_SINGLE_INSTANCE_H_
