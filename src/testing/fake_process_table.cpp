#include "testing/fake_process_table.h"

#include <algorithm>

namespace zarn {

FakeProcessTable::FakeProcessTable(uint32_t own_id, std::u16string own_name)
    : own_id_(own_id) {
  AddProcess(own_id, std::move(own_name));
}

std::optional<std::vector<ProcessEntry>> FakeProcessTable::Snapshot() {
  if (snapshot_fails_) return std::nullopt;
  return processes_;
}

ProcessOwner FakeProcessTable::OwnerOf(uint32_t process_id) {
  owner_queries_.push_back(process_id);
  auto it = access_.find(process_id);
  // An ended process has no entry any more.
  if (it == access_.end() || !it->second.openable) {
    return ProcessOwner::kUnknown;
  }
  return it->second.owner == Owner::kUs ? ProcessOwner::kCurrentUser
                                        : ProcessOwner::kOtherUser;
}

bool FakeProcessTable::OpenOwnToken() {
  calls_.push_back("OpenOwnToken");
  if (token_open_) ++misuse_count_;
  if (fail_open_token_) return false;
  token_open_ = true;
  return true;
}

bool FakeProcessTable::LookupDebugPrivilege() {
  calls_.push_back("LookupDebugPrivilege");
  if (fail_lookup_) return false;
  looked_up_ = true;
  return true;
}

bool FakeProcessTable::SetDebugPrivilege(bool enabled) {
  calls_.push_back(enabled ? "EnableDebugPrivilege" : "DisableDebugPrivilege");
  if (!token_open_ || !looked_up_) {
    ++misuse_count_;
    return false;
  }
  if (enabled ? fail_enable_ : fail_disable_) return false;
  privilege_enabled_ = enabled;
  return true;
}

void FakeProcessTable::CloseOwnToken() {
  calls_.push_back("CloseOwnToken");
  token_open_ = false;
  looked_up_ = false;
}

bool FakeProcessTable::Terminate(uint32_t process_id, uint32_t exit_code) {
  calls_.push_back("Terminate " + std::to_string(process_id) + " " +
                   std::to_string(exit_code));
  if (fail_terminate_.count(process_id)) return false;
  // OpenProcess fails before TerminateProcess is ever reached.
  if (auto it = access_.find(process_id);
      it != access_.end() && !it->second.openable) {
    return false;
  }
  auto it = std::find_if(
      processes_.begin(), processes_.end(),
      [&](const ProcessEntry& e) { return e.process_id == process_id; });
  if (it == processes_.end()) return false;
  processes_.erase(it);
  access_.erase(process_id);
  terminations_.emplace_back(process_id, exit_code);
  return true;
}

void FakeProcessTable::AddProcess(uint32_t process_id, std::u16string exe_name,
                                  Owner owner, bool openable) {
  processes_.push_back(ProcessEntry{process_id, std::move(exe_name)});
  access_[process_id] = Access{owner, openable};
}

bool FakeProcessTable::IsRunning(uint32_t process_id) const {
  return std::any_of(
      processes_.begin(), processes_.end(),
      [&](const ProcessEntry& e) { return e.process_id == process_id; });
}

}  // namespace zarn
