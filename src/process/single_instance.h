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

// How long a starting daemon waits for the lock. A daemon lets go of it
// as soon as it decides to end, and before it reopens the checker, so the
// reopened checker's daemon never waits. What ends a daemon otherwise takes
// effect within about two cycles: a click on a button waits in the window's
// queue until the end of the next cycle, and ends the one after it; a
// "Finished" or a limit that has run out is seen at the next cycle. Three
// seconds cover that with room for a busy machine. A daemon that still
// supervises keeps the lock, and the newcomer ends after this wait without
// showing or writing anything.
inline constexpr uint32_t kInstanceLockWaitMs = 3000;
// How long the lock's holder waits for another process of our name to end.
// A daemon that lost the lock ends after its own wait; one that let go of
// it says so (InstanceLock::HasLetGo) and is not waited for, whether its
// window is still going (under Wine on a display without a window manager
// each hide waits two seconds for one) or it shows its last notice. One
// still there after this is a copy that takes no lock or doesn't say that
// it let go (an older build) and makes us the second.
inline constexpr uint32_t kOtherDaemonEndWaitMs = 6000;
inline constexpr uint32_t kOtherDaemonPollMs = 100;
// Of two daemons started together, the holder must outwait the loser's
// wait for the lock, or both would end.
static_assert(kOtherDaemonEndWaitMs >= 2 * kInstanceLockWaitMs);

// True when another daemon of our user runs, so that this one must end.
//
// The user's instance lock decides between daemons that take it: its
// holder is the one daemon, so two daemons started in the same instant never
// both end and never both run. The holder still counts our own user's
// processes named `exe_name`, except those that have let go of the lock
// for good, and waits up to kOtherDaemonEndWaitMs for them to end. One
// still there then takes no lock, and makes us the second instance as it
// always did. Where no lock of ours can be had (another user made the name
// first) the count alone decides, after the same wait; it can't tell two
// daemons started in the same instant apart, but another user can never
// lock us out.
bool IsSecondInstance(InstanceLock& lock, ProcessTable& processes, Clock& clock,
                      std::u16string_view exe_name);

}  // namespace zarn

#endif  // ZARN_PROCESS_SINGLE_INSTANCE_H_
