#include "platform/win32/win32_process_table.h"

#include <windows.h>
// tlhelp32.h and wtsapi32.h need windows.h first.
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <cwchar>

#include "platform/win32/system_library.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

// TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY.
constexpr DWORD kTokenAccess = 0x28;
// PROCESS_ALL_ACCESS as Windows XP defined it; later systems accept it.
constexpr DWORD kProcessAllAccessXp = 0x1F0FFF;

// The session of a process from Terminal Services' list of every process,
// which needs no access to the process itself. wtsapi32.dll is loaded only
// when a process refuses ProcessIdToSessionId: on a terminal server, where
// another user's daemon runs.
std::optional<uint32_t> SessionFromTerminalServices(DWORD process_id) {
  static const auto enumerate =
      win32::FindSystemFunction<decltype(::WTSEnumerateProcessesW)>(
          L"wtsapi32.dll", "WTSEnumerateProcessesW");
  static const auto free_memory =
      win32::FindSystemFunction<decltype(::WTSFreeMemory)>(L"wtsapi32.dll",
                                                           "WTSFreeMemory");
  if (!enumerate || !free_memory) return std::nullopt;
  WTS_PROCESS_INFOW* list = nullptr;
  DWORD count = 0;
  if (!enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &list, &count) || !list) {
    return std::nullopt;
  }
  std::optional<uint32_t> session;
  for (DWORD i = 0; i < count; ++i) {
    if (list[i].ProcessId == process_id) session = list[i].SessionId;
  }
  free_memory(list);
  return session;
}

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

  std::optional<uint32_t> SessionOf(uint32_t process_id) override {
    DWORD session = 0;
    if (::ProcessIdToSessionId(process_id, &session)) return session;
    return SessionFromTerminalServices(process_id);
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
