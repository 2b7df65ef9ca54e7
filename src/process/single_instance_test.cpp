#include "process/single_instance.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "testing/fake_clock.h"
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
  // It ends this long after we start to wait: a daemon that has let go of
  // the lock and whose window takes its time to go; -1 stays.
  int64_t ends_after_ms = -1;
  // It has let go of the lock for good and says so.
  bool let_go = false;
};

TEST(SingleInstanceTest, DecidesByTheLockAndOnlyWithoutItByOurUsersCount) {
  static constexpr Other others[] = {
      {"alone", false, Owner::kUs, true},
      {"our daemon in another session", true, Owner::kUs, true},
      {"another user's daemon, openable", true, Owner::kOtherUser, true},
      {"another user's daemon, refused", true, Owner::kOtherUser, false},
      {"a process that refuses us", true, Owner::kUs, false},
      {"our daemon on its way out", true, Owner::kUs, true,
       kOtherDaemonEndWaitMs - 500},
      {"our daemon that let go, showing its notice", true, Owner::kUs, true, -1,
       true},
  };
  struct Case {
    const char* name;
    LockState lock;
    // Whether we end, for each of `others` in order.
    bool second[std::size(others)];
  };
  const Case cases[] = {
      // Holding the lock, a process of our user and name that stays
      // beside us takes no lock (an older build): we are the second.
      {"free",
       LockState::kFree,
       {false, true, false, false, false, false, false}},
      {"held", LockState::kHeld, {true, true, true, true, true, true, true}},
      {"holder ending",
       LockState::kHeldButEnding,
       {false, true, false, false, false, false, false}},
      {"abandoned",
       LockState::kAbandoned,
       {false, true, false, false, false, false, false}},
      // Without a lock of ours only our own user's processes count.
      {"squatted, openable",
       LockState::kSquatOpenable,
       {false, true, false, false, false, false, false}},
      {"squatted, refused",
       LockState::kSquatDenied,
       {false, true, false, false, false, false, false}},
      // Where nothing of ours can be made, no daemon can say it let go.
      {"no object",
       LockState::kCannotCreate,
       {false, true, false, false, false, false, true}},
  };
  for (const Case& c : cases) {
    for (size_t i = 0; i < std::size(others); ++i) {
      const Other& other = others[i];
      SCOPED_TRACE(std::string(c.name) + " / " + other.name);
      FakeClock clock;
      FakeProcessTable processes{4242, kExe};
      if (other.present) {
        processes.AddProcess(77, kExe, other.owner, other.openable);
      }
      if (other.ends_after_ms >= 0) {
        clock.set_on_sleep([&] {
          if (clock.elapsed_ms() >= other.ends_after_ms) {
            processes.Terminate(77, 0);
          }
        });
      }
      FakeInstanceLock lock;
      Prepare(lock, c.lock);
      FakeInstanceLock others_lock;
      if (other.let_go) {
        others_lock.ShareObjectWith(lock);
        others_lock.set_process_id(77);
        others_lock.Release();
      }
      EXPECT_EQ(IsSecondInstance(lock, processes, clock, kExe), c.second[i]);
      // A claimed lock is kept until the process ends, even where a copy
      // that takes none makes us the second.
      EXPECT_EQ(lock.held(), LockOfOurs(c.lock) && c.lock != LockState::kHeld);
    }
  }
}

TEST(SingleInstanceTest, WaitsForAHolderThatIsEnding) {
  FakeClock clock;
  FakeInstanceLock lock;
  lock.HoldElsewhere();
  lock.set_holder_ends_after(kInstanceLockWaitMs);
  FakeProcessTable processes{4242, kExe};
  EXPECT_FALSE(IsSecondInstance(lock, processes, clock, kExe));
  EXPECT_TRUE(lock.took_abandoned());
  EXPECT_EQ(lock.waits(), std::vector<uint32_t>{kInstanceLockWaitMs});
}

// Two daemons of one user started in the same instant: each sees the other
// in the process table, and their claims come in either order. The one that
// claims first waits for the other, which finds the lock taken and ends.
TEST(SingleInstanceTest, OfTwoDaemonsStartedTogetherExactlyOneRuns) {
  for (bool a_claims_first : {true, false}) {
    SCOPED_TRACE(a_claims_first ? "a claims first" : "b claims first");
    struct Daemon {
      explicit Daemon(uint32_t id) : table(id, kExe) {}
      FakeProcessTable table;
      FakeInstanceLock lock;
      FakeClock clock;
      std::optional<bool> ends;
    };
    Daemon a{100};
    Daemon b{200};
    a.table.AddProcess(200, kExe);
    b.table.AddProcess(100, kExe);
    b.lock.ShareObjectWith(a.lock);
    // While one waits, the other decides; if it ends, it leaves the table.
    auto decide = [](Daemon& self, Daemon& other, uint32_t other_id) {
      self.clock.set_on_sleep([&self, &other, other_id] {
        if (other.ends.has_value()) return;
        other.ends =
            IsSecondInstance(other.lock, other.table, other.clock, kExe);
        if (*other.ends) self.table.Terminate(other_id, 0);
      });
      self.ends = IsSecondInstance(self.lock, self.table, self.clock, kExe);
    };
    if (a_claims_first) {
      decide(a, b, 200);
    } else {
      decide(b, a, 100);
    }
    ASSERT_TRUE(a.ends.has_value() && b.ends.has_value());
    EXPECT_NE(*a.ends, *b.ends);
    EXPECT_EQ(a.lock.held(), !*a.ends);
    EXPECT_EQ(b.lock.held(), !*b.ends);
  }
}

TEST(SingleInstanceTest, TheNextDaemonRunsAfterTheFirstHasEnded) {
  FakeClock clock;
  FakeProcessTable table{300, kExe};
  FakeInstanceLock next;
  {
    auto first = std::make_unique<FakeInstanceLock>();
    next.ShareObjectWith(*first);
    FakeProcessTable first_table{100, kExe};
    ASSERT_FALSE(IsSecondInstance(*first, first_table, clock, kExe));
    EXPECT_TRUE(IsSecondInstance(next, table, clock, kExe));
    // Ended in order: the destructor lets go.
  }
  EXPECT_FALSE(next.held_by_anyone());
  EXPECT_FALSE(IsSecondInstance(next, table, clock, kExe));

  // Ended without letting go (killed): the abandoned lock passes on too.
  FakeInstanceLock after;
  after.ShareObjectWith(next);
  next.Abandon();
  EXPECT_FALSE(IsSecondInstance(after, table, clock, kExe));
  EXPECT_TRUE(after.took_abandoned());
}

TEST(SingleInstanceTest, AnotherUsersNameNeverLocksUsOut) {
  FakeClock clock;
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
    EXPECT_FALSE(IsSecondInstance(lock, table, clock, kExe));
    // A real second copy of ours is still refused by the count.
    table.AddProcess(52, kExe);
    EXPECT_TRUE(IsSecondInstance(lock, table, clock, kExe));
  }
}

}  // namespace
}  // namespace zarn
