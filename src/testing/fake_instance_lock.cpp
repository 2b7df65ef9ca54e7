#include "testing/fake_instance_lock.h"

namespace zarn {

FakeInstanceLock::FakeInstanceLock() : object_(std::make_shared<Object>()) {}

FakeInstanceLock::~FakeInstanceLock() {
  if (held()) object_->holder = nullptr;
}

InstanceClaim FakeInstanceLock::Claim(uint32_t wait_ms) {
  waits_.push_back(wait_ms);
  Object& object = *object_;
  if (object.squatter != Squatter::kNone || object.create_fails) {
    return InstanceClaim::kUnavailable;
  }
  if (object.held_elsewhere || (object.holder && object.holder != this)) {
    if (!object.holder_ends_after || *object.holder_ends_after > wait_ms) {
      return InstanceClaim::kHeldByAnother;
    }
    object.holder_ends_after.reset();
    object.held_elsewhere = false;
    object.abandoned = true;
  }
  took_abandoned_ = object.abandoned;
  object.abandoned = false;
  object.holder = this;
  return InstanceClaim::kClaimed;
}

void FakeInstanceLock::Release() {
  if (!object_->create_fails) object_->let_go.insert(process_id_);
  if (!held()) return;
  object_->holder = nullptr;
  ++releases_;
  if (journal_) journal_->Record("release");
}

bool FakeInstanceLock::HasLetGo(uint32_t process_id) {
  return object_->let_go.count(process_id) > 0;
}

void FakeInstanceLock::Abandon() {
  if (!held()) return;
  object_->holder = nullptr;
  object_->abandoned = true;
}

}  // namespace zarn
