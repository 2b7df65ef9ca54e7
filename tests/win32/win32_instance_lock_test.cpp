#include "platform/win32/win32_instance_lock.h"

#include <gtest/gtest.h>
#include <windows.h>
// aclapi.h and sddl.h need windows.h first.
#include <aclapi.h>
#include <sddl.h>

#include <thread>

#include "platform/win32/token_user.h"
#include "platform/win32/unique_resource.h"

namespace zarn {
namespace {

// A mutex belongs to a thread, and a thread that holds it gets it again at
// once: another daemon is played by another thread.
InstanceClaim ClaimOnAnotherThread(uint32_t wait_ms) {
  InstanceClaim claim = InstanceClaim::kUnavailable;
  std::thread([&] { claim = NewWin32InstanceLock()->Claim(wait_ms); }).join();
  return claim;
}

// A kernel object made under our lock's name with `sddl`, as another user
// could make it first.
win32::UniqueHandle Squat(const std::wstring& sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return {};
  }
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  win32::UniqueHandle mutex(
      ::CreateMutexW(&attributes, FALSE, InstanceLockName().c_str()));
  ::LocalFree(descriptor);
  return mutex;
}

std::wstring OwnerText(HANDLE object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION,
                        &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
    return {};
  }
  const BYTE* begin = static_cast<const BYTE*>(owner);
  std::wstring text =
      win32::SidText(std::vector<BYTE>(begin, begin + ::GetLengthSid(owner)));
  ::LocalFree(descriptor);
  return text;
}

TEST(Win32InstanceLockTest, NameCarriesOurSidAndTheMutexOurOwnership) {
  const std::wstring sid = win32::SidText(win32::OwnUserSid());
  ASSERT_FALSE(sid.empty());
  EXPECT_EQ(InstanceLockName(), L"Global\\ZARNDaemon-" + sid);

  auto lock = NewWin32InstanceLock();
  ASSERT_EQ(lock->Claim(0), InstanceClaim::kClaimed);
  win32::UniqueHandle mutex(
      ::OpenMutexW(READ_CONTROL, FALSE, InstanceLockName().c_str()));
  ASSERT_TRUE(mutex);
  EXPECT_EQ(OwnerText(mutex.get()), sid);
}

TEST(Win32InstanceLockTest, HolderKeepsItAndLetsGoWhenItEnds) {
  auto first = NewWin32InstanceLock();
  ASSERT_EQ(first->Claim(0), InstanceClaim::kClaimed);
  EXPECT_EQ(ClaimOnAnotherThread(50), InstanceClaim::kHeldByAnother);
  first.reset();
  EXPECT_EQ(ClaimOnAnotherThread(0), InstanceClaim::kClaimed);
}

TEST(Win32InstanceLockTest, AnAbandonedLockPassesOn) {
  std::unique_ptr<InstanceLock> killed;
  // The thread ends holding the mutex, as a daemon that was killed.
  std::thread([&] {
    killed = NewWin32InstanceLock();
    ASSERT_EQ(killed->Claim(0), InstanceClaim::kClaimed);
  }).join();
  auto next = NewWin32InstanceLock();
  EXPECT_EQ(next->Claim(0), InstanceClaim::kClaimed);
}

TEST(Win32InstanceLockTest, ANameTakenByAnotherKindOfObjectLocksNobodyOut) {
  win32::UniqueHandle event(
      ::CreateEventW(nullptr, TRUE, FALSE, InstanceLockName().c_str()));
  ASSERT_TRUE(event);
  EXPECT_EQ(NewWin32InstanceLock()->Claim(0), InstanceClaim::kUnavailable);
}

TEST(Win32InstanceLockTest, AMutexOfAnotherOwnerLocksNobodyOut) {
  const std::wstring sid = win32::SidText(win32::OwnUserSid());
  // Another user's SID as owner. Windows lets no standard user give an
  // object someone else's SID; Wine lets every process do it, which is
  // what plays the other user here.
  const std::wstring other = L"S-1-5-21-1-2-3-1001";
  struct Case {
    const char* name;
    std::wstring sddl;
  };
  const Case cases[] = {
      {"open to us", L"O:" + other + L"D:(A;;GA;;;WD)"},
      {"closed to us", L"O:" + other + L"D:(D;;GA;;;" + sid + L")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    win32::UniqueHandle squat = Squat(c.sddl);
    ASSERT_TRUE(squat);
    if (OwnerText(squat.get()) != other) {
      GTEST_SKIP() << "this system refuses another user's SID as owner";
    }
    // Held by the squatter, too: its holding must not end us.
    ASSERT_EQ(::WaitForSingleObject(squat.get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(ClaimOnAnotherThread(0), InstanceClaim::kUnavailable);
    ::ReleaseMutex(squat.get());
  }
}

// A daemon that lets go says so for as long as its lock lives, which in
// the daemon is as long as its process.
TEST(Win32InstanceLockTest, ReleaseSaysSoWhileTheLockLives) {
  const DWORD own = ::GetCurrentProcessId();
  auto lock = NewWin32InstanceLock();
  ASSERT_EQ(lock->Claim(0), InstanceClaim::kClaimed);
  auto newcomer = NewWin32InstanceLock();
  EXPECT_FALSE(newcomer->HasLetGo(own));
  lock->Release();
  EXPECT_TRUE(newcomer->HasLetGo(own));
  EXPECT_FALSE(newcomer->HasLetGo(own + 4));
  EXPECT_EQ(ClaimOnAnotherThread(0), InstanceClaim::kClaimed);
  lock.reset();
  EXPECT_FALSE(newcomer->HasLetGo(own));
}

}  // namespace
}  // namespace zarn
