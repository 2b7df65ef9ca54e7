// A process table in memory that records every token, privilege and
// termination call in order, and can be told to fail each of them. Each
// process has an owner, and may refuse to be opened as Windows refuses a
// standard user another user's process.
#ifndef ZARN_TESTING_FAKE_PROCESS_TABLE_H_
#define ZARN_TESTING_FAKE_PROCESS_TABLE_H_

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/process_table.h"

namespace zarn {

class FakeProcessTable final : public ProcessTable {
 public:
  // Who a process belongs to in the fake, whatever may be asked of it.
  enum class Owner { kUs, kOtherUser };

  // Our own process is in the table from the start.
  explicit FakeProcessTable(uint32_t own_id = 4242,
                            std::u16string own_name = u"ZARNDaemon.exe");

  std::optional<std::vector<ProcessEntry>> Snapshot() override;
  // The owner of an openable, running process; kUnknown for one that
  // refuses to be opened or has ended.
  ProcessOwner OwnerOf(uint32_t process_id) override;
  bool IsNtFamily() override { return nt_family_; }
  bool OpenOwnToken() override;
  bool LookupDebugPrivilege() override;
  bool SetDebugPrivilege(bool enabled) override;
  void CloseOwnToken() override;
  // Removes the process from the table unless told to fail for its id or
  // it refuses to be opened.
  bool Terminate(uint32_t process_id, uint32_t exit_code) override;
  uint32_t CurrentProcessId() override { return own_id_; }

  // Setup. A process is ours and openable unless a test says otherwise:
  // on Windows another user's process refuses a standard user, and our own
  // elevated one may refuse our un-elevated daemon.
  void AddProcess(uint32_t process_id, std::u16string exe_name,
                  Owner owner = Owner::kUs, bool openable = true);
  bool IsRunning(uint32_t process_id) const;
  void set_nt_family(bool nt) { nt_family_ = nt; }
  void set_snapshot_fails(bool fail) { snapshot_fails_ = fail; }
  void set_fail_open_token(bool fail) { fail_open_token_ = fail; }
  void set_fail_lookup(bool fail) { fail_lookup_ = fail; }
  void set_fail_enable(bool fail) { fail_enable_ = fail; }
  void set_fail_disable(bool fail) { fail_disable_ = fail; }
  // The process stays but refuses to end (access denied).
  void set_fail_terminate(uint32_t process_id) {
    fail_terminate_.insert(process_id);
  }

  // Inspection. calls() holds "OpenOwnToken", "LookupDebugPrivilege",
  // "EnableDebugPrivilege", "DisableDebugPrivilege", "CloseOwnToken" and
  // "Terminate <id> <exit code>", failed ones too, in order.
  const std::vector<std::string>& calls() const { return calls_; }
  // The processes whose owner was asked for, in order.
  const std::vector<uint32_t>& owner_queries() const { return owner_queries_; }
  // The successful terminations: id and exit code.
  const std::vector<std::pair<uint32_t, uint32_t>>& terminations() const {
    return terminations_;
  }
  bool token_open() const { return token_open_; }
  bool privilege_enabled() const { return privilege_enabled_; }
  // Calls made against the contract: a privilege set without an open token
  // or looked-up privilege, a second token opened.
  int misuse_count() const { return misuse_count_; }
  void clear_calls() {
    calls_.clear();
    terminations_.clear();
  }

 private:
  uint32_t own_id_;
  std::vector<ProcessEntry> processes_;
  struct Access {
    Owner owner = Owner::kUs;
    bool openable = true;
  };
  std::map<uint32_t, Access> access_;
  std::vector<uint32_t> owner_queries_;
  bool nt_family_ = true;
  bool snapshot_fails_ = false;
  bool fail_open_token_ = false;
  bool fail_lookup_ = false;
  bool fail_enable_ = false;
  bool fail_disable_ = false;
  std::set<uint32_t> fail_terminate_;
  bool token_open_ = false;
  bool looked_up_ = false;
  bool privilege_enabled_ = false;
  int misuse_count_ = 0;
  std::vector<std::string> calls_;
  std::vector<std::pair<uint32_t, uint32_t>> terminations_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_PROCESS_TABLE_H_
