#include "platform/win32/win32_process_table.h"

#include <windows.h>
// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

#include <cwchar>

#include "platform/win32/token_user.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

// TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY.
constexpr DWORD kTokenAccess = 0x28;
// PROCESS_ALL_ACCESS as Windows XP defined it; later systems accept it.
constexpr DWORD kProcessAllAccessXp = 0x1F0FFF;

class Win32ProcessTable final : public ProcessTable {
 public:
  std::optional<std::vector<ProcessEntry>> Snapshot() override {
    win32::UniqueFileHandle snapshot(
        ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return std::nullopt;
    std::vector<ProcessEntry> entries;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32FirstW(snapshot.get(), &entry); ok;
         ok = ::Process32NextW(snapshot.get(), &entry)) {
      const size_t length = ::wcsnlen(entry.szExeFile, MAX_PATH);
      entries.push_back(ProcessEntry{
          entry.th32ProcessID,
          win32::FromWide(std::wstring_view(entry.szExeFile, length))});
    }
    return entries;
  }

  ProcessOwner OwnerOf(uint32_t process_id) override {
    // The least access that reads a token: Windows grants it to the
    // process's owner, SYSTEM and administrators, so a standard user is
    // refused every other user's process. The session would tell nothing
    // about the user, and asking for it needs more access than this.
    win32::UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
    if (!process) return ProcessOwner::kUnknown;
    win32::UniqueHandle token;
    if (!::OpenProcessToken(process.get(), TOKEN_QUERY, token.put())) {
      return ProcessOwner::kUnknown;
    }
    const std::vector<BYTE> user = win32::TokenUserSid(token.get());
    const std::vector<BYTE>& own = win32::OwnUserSid();
    if (user.empty() || own.empty()) return ProcessOwner::kUnknown;
    return win32::SameSid(own, user.data()) ? ProcessOwner::kCurrentUser
                                            : ProcessOwner::kOtherUser;
  }

  bool IsNtFamily() override {
    // Windows 9x sets the high bit of the version.
    return static_cast<int32_t>(::GetVersion()) >= 0;
  }

  bool OpenOwnToken() override {
    return ::OpenProcessToken(::GetCurrentProcess(), kTokenAccess,
                              token_.put()) != 0;
  }

  bool LookupDebugPrivilege() override {
    return ::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid_) != 0;
  }

  bool SetDebugPrivilege(bool enabled) override {
    if (!token_) return false;
    TOKEN_PRIVILEGES record = {};
    record.PrivilegeCount = 1;
    record.Privileges[0].Luid = luid_;
    record.Privileges[0].Attributes = enabled ? SE_PRIVILEGE_ENABLED : 0;
    // Success of the call is enough; whether every privilege was granted
    // (ERROR_NOT_ALL_ASSIGNED) is not asked.
    return ::AdjustTokenPrivileges(token_.get(), FALSE, &record, 0, nullptr,
                                   nullptr) != 0;
  }

  void CloseOwnToken() override { token_.reset(); }

  bool Terminate(uint32_t process_id, uint32_t exit_code) override {
    win32::UniqueHandle process(
        ::OpenProcess(kProcessAllAccessXp, FALSE, process_id));
    if (!process) return false;
    return ::TerminateProcess(process.get(), exit_code) != 0;
  }

  uint32_t CurrentProcessId() override { return ::GetCurrentProcessId(); }

 private:
  win32::UniqueHandle token_;
  LUID luid_ = {};
};

}  // namespace

std::unique_ptr<ProcessTable> NewWin32ProcessTable() {
  return std::make_unique<Win32ProcessTable>();
}

}  // namespace zarn
