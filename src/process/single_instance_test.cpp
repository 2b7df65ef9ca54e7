#include "process/single_instance.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "testing/fake_instance_lock.h"
#include "testing/fake_process_table.h"

namespace zarn {
namespace {

using Owner = FakeProcessTable::Owner;
using Squatter = FakeInstanceLock::Squatter;

constexpr char16_t kExe[] = u"ZARNDaemon.exe";

// What stands under our user's lock name when the daemon starts.
enum class LockState {
  kFree,
  kHeld,           // another daemon of ours supervises
  kHeldButEnding,  // its holder ends within our wait
  kAbandoned,      // its holder ended without letting go
  kSquatOpenable,  // another user made the name first, open to us
  kSquatDenied,    // another user made the name first, closed to us
  kCannotCreate,
};

void Prepare(FakeInstanceLock& lock, LockState state) {
  switch (state) {
    case LockState::kFree:
      break;
    case LockState::kHeld:
      lock.HoldElsewhere();
      break;
    case LockState::kHeldButEnding:
      lock.HoldElsewhere();
      lock.set_holder_ends_after(kInstanceLockWaitMs / 2);
      break;
    case LockState::kAbandoned: {
      FakeInstanceLock earlier;
      lock.ShareObjectWith(earlier);
      earlier.Claim(0);
      earlier.Abandon();
      break;
    }
    case LockState::kSquatOpenable:
      lock.set_squatter(Squatter::kOtherUserOpenable);
      break;
    case LockState::kSquatDenied:
      lock.set_squatter(Squatter::kOtherUserDenied);
      break;
    case LockState::kCannotCreate:
      lock.set_create_fails(true);
      break;
  }
}

// Whether a lock of ours can be had at all in `state`.
bool LockOfOurs(LockState state) {
  return state != LockState::kSquatOpenable &&
         state != LockState::kSquatDenied && state != LockState::kCannotCreate;
}

// Another process named like the daemon, beside ours.
struct Other {
  const char* name;
  bool present;
  Owner owner;
  bool openable;
};

TEST(SingleInstanceTest, DecidesByTheLockAndOnlyWithoutItByOurUsersCount) {
  const Other others[] = {
      {"alone", false, Owner::kUs, true},
      {"our daemon in another session", true, Owner::kUs, true},
      {"another user's daemon, openable", true, Owner::kOtherUser, true},
      {"another user's daemon, refused", true, Owner::kOtherUser, false},
      {"a process that refuses us", true, Owner::kUs, false},
  };
  struct Case {
    const char* name;
    LockState lock;
    // Whether we end, for each of `others` in order.
    bool second[5];
  };
  const Case cases[] = {
      // Holding the lock we are the one daemon: a process of the name
      // without it is starting beside us and will find the lock taken.
      {"free", LockState::kFree, {false, false, false, false, false}},
      {"held", LockState::kHeld, {true, true, true, true, true}},
      {"holder ending",
       LockState::kHeldButEnding,
       {false, false, false, false, false}},
      {"abandoned", LockState::kAbandoned, {false, false, false, false, false}},
      // Without a lock of ours only our own user's processes count.
      {"squatted, openable",
       LockState::kSquatOpenable,
       {false, true, false, false, false}},
      {"squatted, refused",
       LockState::kSquatDenied,
       {false, true, false, false, false}},
      {"no object",
       LockState::kCannotCreate,
       {false, true, false, false, false}},
  };
  for (const Case& c : cases) {
    for (size_t i = 0; i < std::size(others); ++i) {
      const Other& other = others[i];
      SCOPED_TRACE(std::string(c.name) + " / " + other.name);
      FakeProcessTable processes{4242, kExe};
      if (other.present) {
        processes.AddProcess(77, kExe, other.owner, other.openable);
      }
      FakeInstanceLock lock;
      Prepare(lock, c.lock);
      EXPECT_EQ(IsSecondInstance(lock, processes, kExe), c.second[i]);
      EXPECT_EQ(lock.held(), !c.second[i] && LockOfOurs(c.lock));
    }
  }
}

TEST(SingleInstanceTest, WaitsForAHolderThatIsEnding) {
  FakeInstanceLock lock;
  lock.HoldElsewhere();
  lock.set_holder_ends_after(kInstanceLockWaitMs);
  FakeProcessTable processes{4242, kExe};
  EXPECT_FALSE(IsSecondInstance(lock, processes, kExe));
  EXPECT_TRUE(lock.took_abandoned());
  EXPECT_EQ(lock.waits(), std::vector<uint32_t>{kInstanceLockWaitMs});
}

// Two daemons of one user started in the same instant: each sees the other
// in the process table, and their claims come in either order.
TEST(SingleInstanceTest, OfTwoDaemonsStartedTogetherExactlyOneRuns) {
  for (bool first_claims_first : {true, false}) {
    SCOPED_TRACE(first_claims_first ? "first claims first" : "second first");
    FakeProcessTable table_a{100, kExe};
    table_a.AddProcess(200, kExe);
    FakeProcessTable table_b{200, kExe};
    table_b.AddProcess(100, kExe);
    FakeInstanceLock lock_a;
    FakeInstanceLock lock_b;
    lock_b.ShareObjectWith(lock_a);

    bool a_ends = false;
    bool b_ends = false;
    if (first_claims_first) {
      a_ends = IsSecondInstance(lock_a, table_a, kExe);
      b_ends = IsSecondInstance(lock_b, table_b, kExe);
    } else {
      b_ends = IsSecondInstance(lock_b, table_b, kExe);
      a_ends = IsSecondInstance(lock_a, table_a, kExe);
    }
    EXPECT_NE(a_ends, b_ends);
    EXPECT_EQ(lock_a.held(), !a_ends);
    EXPECT_EQ(lock_b.held(), !b_ends);
  }
}

TEST(SingleInstanceTest, TheNextDaemonRunsAfterTheFirstHasEnded) {
  FakeProcessTable table{300, kExe};
  FakeInstanceLock next;
  {
    auto first = std::make_unique<FakeInstanceLock>();
    next.ShareObjectWith(*first);
    FakeProcessTable first_table{100, kExe};
    ASSERT_FALSE(IsSecondInstance(*first, first_table, kExe));
    EXPECT_TRUE(IsSecondInstance(next, table, kExe));
    // Ended in order: the destructor lets go.
  }
  EXPECT_FALSE(next.held_by_anyone());
  EXPECT_FALSE(IsSecondInstance(next, table, kExe));

  // Ended without letting go (killed): the abandoned lock passes on too.
  FakeInstanceLock after;
  after.ShareObjectWith(next);
  next.Abandon();
  EXPECT_FALSE(IsSecondInstance(after, table, kExe));
  EXPECT_TRUE(after.took_abandoned());
}

TEST(SingleInstanceTest, AnotherUsersNameNeverLocksUsOut) {
  for (Squatter squatter :
       {Squatter::kOtherUserOpenable, Squatter::kOtherUserDenied}) {
    SCOPED_TRACE(squatter == Squatter::kOtherUserOpenable ? "openable"
                                                          : "refused");
    FakeInstanceLock lock;
    lock.set_squatter(squatter);
    FakeProcessTable table{4242, kExe};
    // The squatter's own daemon beside ours, openable or not.
    table.AddProcess(50, kExe, Owner::kOtherUser, true);
    table.AddProcess(51, kExe, Owner::kOtherUser, false);
    EXPECT_FALSE(IsSecondInstance(lock, table, kExe));
    // A real second copy of ours is still refused by the count.
    table.AddProcess(52, kExe);
    EXPECT_TRUE(IsSecondInstance(lock, table, kExe));
  }
}

}  // namespace
}  // namespace zarn
