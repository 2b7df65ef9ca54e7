// The instance lock in memory. The locks of several fake daemons can share
// one named object, which may be held, abandoned by a holder that ended, or
// made first by another user, as Windows lets any user do in Global\.
#ifndef ZARN_TESTING_FAKE_INSTANCE_LOCK_H_
#define ZARN_TESTING_FAKE_INSTANCE_LOCK_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/instance_lock.h"
#include "testing/event_journal.h"

namespace zarn {

class FakeInstanceLock final : public InstanceLock {
 public:
  // What stands under our user's name before anyone of ours claims it.
  enum class Squatter {
    kNone,
    kOtherUserOpenable,  // another user's object that lets us open it
    kOtherUserDenied,    // another user's object that refuses us
  };

  FakeInstanceLock();
  // Lets go of the object when held.
  ~FakeInstanceLock() override;

  InstanceClaim Claim(uint32_t wait_ms) override;
  // Marks this lock's process as let go, unless nothing of ours can be
  // made (set_create_fails).
  void Release() override;
  bool HasLetGo(uint32_t process_id) override;

  // Setup. From now on this lock and `other` name the same object.
  void ShareObjectWith(const FakeInstanceLock& other) {
    object_ = other.object_;
  }
  void set_squatter(Squatter squatter) { object_->squatter = squatter; }
  // The object can't be made at all (no user SID, no security descriptor).
  void set_create_fails(bool fail) { object_->create_fails = fail; }
  // Another daemon of our user holds the object.
  void HoldElsewhere() { object_->held_elsewhere = true; }
  // The present holder ends `ms` after a claim starts to wait, without
  // letting go: a claim that waits that long gets the abandoned object.
  void set_holder_ends_after(uint32_t ms) { object_->holder_ends_after = ms; }
  // This lock's process ends without letting go.
  void Abandon();
  // The process this lock belongs to, for HasLetGo; 4242 unless set.
  void set_process_id(uint32_t id) { process_id_ = id; }
  // Records "release" each time a held object is let go.
  void set_journal(EventJournal* journal) { journal_ = journal; }

  // Inspection.
  bool held() const { return object_->holder == this; }
  bool held_by_anyone() const {
    return object_->holder != nullptr || object_->held_elsewhere;
  }
  // How often a held object was let go before the lock was destroyed.
  int releases() const { return releases_; }
  // Whether the last successful claim found the object abandoned.
  bool took_abandoned() const { return took_abandoned_; }
  // The waits of every claim, in order.
  const std::vector<uint32_t>& waits() const { return waits_; }

 private:
  struct Object {
    const FakeInstanceLock* holder = nullptr;
    bool held_elsewhere = false;
    bool abandoned = false;
    Squatter squatter = Squatter::kNone;
    bool create_fails = false;
    std::optional<uint32_t> holder_ends_after;
    // The processes whose locks have let go; the names of our user beside
    // the object.
    std::set<uint32_t> let_go;
  };

  std::shared_ptr<Object> object_;
  uint32_t process_id_ = 4242;
  bool took_abandoned_ = false;
  int releases_ = 0;
  EventJournal* journal_ = nullptr;
  std::vector<uint32_t> waits_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_INSTANCE_LOCK_H_
