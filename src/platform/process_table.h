// The local process table and the calls that end a process: a Toolhelp
// snapshot, the owner of a process, the debug privilege of our own token,
// OpenProcess and TerminateProcess.
#ifndef ZARN_PLATFORM_PROCESS_TABLE_H_
#define ZARN_PLATFORM_PROCESS_TABLE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zarn {

// Whose a process is, as far as we may ask.
enum class ProcessOwner {
  kCurrentUser,  // its token's user is ours
  kOtherUser,    // its token's user is another account
  // It can't be opened or its token can't be read: another user's process
  // to a standard user, and maybe our own elevated one; or it has ended.
  kUnknown,
};

struct ProcessEntry {
  uint32_t process_id = 0;
  std::u16string exe_name;  // the executable's file name, as Toolhelp has it
};

class ProcessTable {
 public:
  ProcessTable() = default;
  ProcessTable(const ProcessTable&) = delete;
  ProcessTable& operator=(const ProcessTable&) = delete;
  virtual ~ProcessTable() = default;

  // Every process of the machine at one moment, every session's. nullopt
  // when the snapshot can't be taken.
  virtual std::optional<std::vector<ProcessEntry>> Snapshot() = 0;
  // The user a process runs as: the user of its token, opened through
  // OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION) and OpenProcessToken
  // (TOKEN_QUERY). Windows grants that to the process's owner, SYSTEM and
  // administrators; anything refused is kUnknown, never a guess.
  virtual ProcessOwner OwnerOf(uint32_t process_id) = 0;

  // GetVersion() read as a signed number is not negative: an NT-family
  // system with access tokens and privileges.
  virtual bool IsNtFamily() = 0;
  // OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES |
  // TOKEN_QUERY). At most one token is open at a time.
  virtual bool OpenOwnToken() = 0;
  // LookupPrivilegeValueA(NULL, "SeDebugPrivilege") into the record.
  virtual bool LookupDebugPrivilege() = 0;
  // AdjustTokenPrivileges on the open token with the record, attributes
  // SE_PRIVILEGE_ENABLED or 0. True when the call returned success.
  // REQUIRES: an open token and a looked-up privilege.
  virtual bool SetDebugPrivilege(bool enabled) = 0;
  // Closes the open token, if any.
  virtual void CloseOwnToken() = 0;
  // OpenProcess(0x1F0FFF) and TerminateProcess with `exit_code`; the handle
  // is closed again. False when the process can't be opened or the call
  // fails.
  virtual bool Terminate(uint32_t process_id, uint32_t exit_code) = 0;
  virtual uint32_t CurrentProcessId() = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_PROCESS_TABLE_H_
