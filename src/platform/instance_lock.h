// The named kernel object that one daemon of a user holds for its whole
// life, in every session of that user: whoever holds it is the user's one
// daemon.
#ifndef ZARN_PLATFORM_INSTANCE_LOCK_H_
#define ZARN_PLATFORM_INSTANCE_LOCK_H_

#include <cstdint>

namespace zarn {

enum class InstanceClaim {
  // We hold the object now; it was free, or its last holder ended without
  // letting go (an abandoned mutex).
  kClaimed,
  // Another live process of our user held it for the whole wait.
  kHeldByAnother,
  // No object of ours to decide by: it can't be created, or a process of
  // another user made the name first (it is not owned by our user, or we
  // can't open it). Another user's object never counts as a daemon of ours.
  kUnavailable,
};

class InstanceLock {
 public:
  InstanceLock() = default;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  // Lets go of a held object.
  virtual ~InstanceLock() = default;

  // Creates or opens our user's object and waits up to `wait_ms` to hold
  // it, so that a holder that is just ending hands it over rather than
  // ending us too. At most one claim per lock.
  virtual InstanceClaim Claim(uint32_t wait_ms) = 0;

  // Lets go of a held object at once: a daemon that waits for it, or starts
  // from now on, becomes the user's one daemon while this process is still
  // on its way out, or shows its last notice. From just before that until
  // this process ends, HasLetGo tells the daemons of our user so, also when
  // no object was held.
  virtual void Release() = 0;

  // Whether the process `process_id`, of our user, has let go for good
  // (Release) and still runs: whatever it still does, it no longer
  // supervises. False for any other process, and when it can't be told.
  virtual bool HasLetGo(uint32_t process_id) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_INSTANCE_LOCK_H_
