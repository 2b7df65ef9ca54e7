// WMI's Win32_Process in memory: processes with names and owners, found
// only by the exact query text the clean-up sends. Records every call and
// can fail the connection, or the query, GetOwner or Terminate by name.
#ifndef ZARN_TESTING_FAKE_WMI_PROCESS_SERVICE_H_
#define ZARN_TESTING_FAKE_WMI_PROCESS_SERVICE_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/wmi_process_service.h"

namespace zarn {

class FakeWmiProcessService final : public WmiProcessService {
 public:
  struct Process {
    uint32_t process_id = 0;
    std::u16string name;
    std::optional<std::u16string> owner;  // nullopt: GetOwner reports none
  };

  std::unique_ptr<WmiSession> Connect() override;

  // Setup.
  void AddProcess(uint32_t process_id, std::u16string name,
                  std::optional<std::u16string> owner);
  bool IsRunning(uint32_t process_id) const;
  void set_fail_connect(bool fail) { fail_connect_ = fail; }
  // Names compare as WMI compares them, ignoring letter case.
  void set_fail_query(std::u16string name) {
    fail_query_.push_back(std::move(name));
  }
  void set_fail_get_owner(std::u16string name) {
    fail_get_owner_.push_back(std::move(name));
  }
  void set_fail_terminate(std::u16string name) {
    fail_terminate_.push_back(std::move(name));
  }
  // As under Wine: Win32_Process has no Terminate at all.
  void set_terminate_unsupported(bool unsupported) {
    terminate_unsupported_ = unsupported;
  }

  // Every call in order: "Connect", "ExecQuery <query>", "GetOwner <id>",
  // "Terminate <id>" (failed ones too), in UTF-8.
  const std::vector<std::string>& calls() const { return calls_; }
  // Ids ended through Terminate, in order.
  const std::vector<uint32_t>& terminated() const { return terminated_; }
  int open_sessions() const { return open_sessions_; }

  // The object path of a process, as the query hands it out.
  static std::u16string PathOf(uint32_t process_id);

 private:
  class Session;
  static bool Listed(const std::vector<std::u16string>& names,
                     std::u16string_view name);
  Process* Find(std::u16string_view path);

  std::vector<Process> processes_;
  bool fail_connect_ = false;
  bool terminate_unsupported_ = false;
  std::vector<std::u16string> fail_query_;
  std::vector<std::u16string> fail_get_owner_;
  std::vector<std::u16string> fail_terminate_;
  std::vector<std::string> calls_;
  std::vector<uint32_t> terminated_;
  int open_sessions_ = 0;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_WMI_PROCESS_SERVICE_H_
