#include "platform/win32/win32_instance_lock.h"

#include <windows.h>
// aclapi.h and sddl.h need windows.h first.
#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "platform/win32/token_user.h"
#include "platform/win32/unique_resource.h"

namespace zarn {
namespace {

// Global\ spans every session, so the daemons of one user in a console and
// a remote session meet at the same name.
constexpr wchar_t kNamePrefix[] = L"Global\\ZARNDaemon-";

// Our user alone may open the mutex, and it is owned by our user, whether
// an elevated or a standard daemon made it. The medium label lets a
// standard daemon open what an elevated one made: an object takes its
// maker's integrity level, and a lower level may not write to it. A
// process below medium can't set that label; it falls back to its own.
std::wstring SecurityText(const std::wstring& sid, bool medium_label) {
  std::wstring text = L"O:" + sid + L"D:P(A;;GA;;;" + sid + L")";
  if (medium_label) text += L"S:(ML;;NW;;;ME)";
  return text;
}

// Creates the mutex, or opens the one of that name. Null when the name is
// taken by an object that refuses us, or by another kind of object.
win32::UniqueHandle OpenOrCreate(const std::wstring& name,
                                 const std::wstring& sid) {
  for (bool medium_label : {true, false}) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            SecurityText(sid, medium_label).c_str(), SDDL_REVISION_1,
            &descriptor, nullptr)) {
      continue;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    win32::UniqueHandle mutex(::CreateMutexW(&attributes, FALSE, name.c_str()));
    const DWORD error = ::GetLastError();
    ::LocalFree(descriptor);
    if (mutex) return mutex;
    if (error == ERROR_ACCESS_DENIED) {
      // An existing mutex that doesn't grant us all access: open it with
      // what deciding needs, and let its owner tell whose it is.
      return win32::UniqueHandle(
          ::OpenMutexW(SYNCHRONIZE | READ_CONTROL, FALSE, name.c_str()));
    }
    // Another kind of object holds the name.
    if (error == ERROR_INVALID_HANDLE) return {};
  }
  return {};
}

// Beside the lock, a name for each daemon of the user that has let go. It
// lives as long as that process holds it, that is as long as the process:
// an id that comes back for another process finds no name.
std::wstring LetGoName(const std::wstring& sid, uint32_t process_id) {
  return kNamePrefix + sid + L"-ended-" + std::to_wstring(process_id);
}

bool OwnedBy(HANDLE object, const std::vector<BYTE>& sid) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION,
                        &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool ours = win32::SameSid(sid, owner);
  ::LocalFree(descriptor);
  return ours;
}

class Win32InstanceLock final : public InstanceLock {
 public:
  ~Win32InstanceLock() override { LetGoOfMutex(); }

  // The name first: a daemon that takes the mutex at once finds it.
  void Release() override {
    MarkLetGo();
    LetGoOfMutex();
  }

  bool HasLetGo(uint32_t process_id) override {
    const std::vector<BYTE>& sid = win32::OwnUserSid();
    const std::wstring sid_text = win32::SidText(sid);
    if (sid_text.empty()) return false;
    win32::UniqueHandle mark(::OpenMutexW(
        READ_CONTROL, FALSE, LetGoName(sid_text, process_id).c_str()));
    // Any user may make the name; only ours says anything.
    return mark && OwnedBy(mark.get(), sid);
  }

  InstanceClaim Claim(uint32_t wait_ms) override {
    const std::vector<BYTE>& sid = win32::OwnUserSid();
    const std::wstring sid_text = win32::SidText(sid);
    if (sid_text.empty()) return InstanceClaim::kUnavailable;
    mutex_ = OpenOrCreate(kNamePrefix + sid_text, sid_text);
    // Any user may create a name in Global\ first. Ours always carries our
    // SID as owner, which no standard user can give an object of theirs.
    if (!mutex_ || !OwnedBy(mutex_.get(), sid)) {
      mutex_.reset();
      return InstanceClaim::kUnavailable;
    }
    switch (::WaitForSingleObject(mutex_.get(), wait_ms)) {
      case WAIT_OBJECT_0:
      // The last holder ended without letting go: it is ours now.
      case WAIT_ABANDONED:
        held_ = true;
        return InstanceClaim::kClaimed;
      case WAIT_TIMEOUT:
        return InstanceClaim::kHeldByAnother;
      default:
        mutex_.reset();
        return InstanceClaim::kUnavailable;
    }
  }

 private:
  // A mutex is let go by the thread that holds it: the daemon's one thread.
  void LetGoOfMutex() {
    if (held_) ::ReleaseMutex(mutex_.get());
    held_ = false;
    mutex_.reset();
  }

  void MarkLetGo() {
    if (let_go_) return;
    const std::vector<BYTE>& sid = win32::OwnUserSid();
    const std::wstring sid_text = win32::SidText(sid);
    if (sid_text.empty()) return;
    win32::UniqueHandle mark =
        OpenOrCreate(LetGoName(sid_text, ::GetCurrentProcessId()), sid_text);
    if (mark && OwnedBy(mark.get(), sid)) let_go_ = std::move(mark);
  }

  win32::UniqueHandle mutex_;
  bool held_ = false;
  // Held until the process ends.
  win32::UniqueHandle let_go_;
};

}  // namespace

std::unique_ptr<InstanceLock> NewWin32InstanceLock() {
  return std::make_unique<Win32InstanceLock>();
}

std::wstring InstanceLockName() {
  const std::wstring sid = win32::SidText(win32::OwnUserSid());
  return sid.empty() ? std::wstring() : kNamePrefix + sid;
}

}  // namespace zarn
