// HKEY_LOCAL_MACHINE as a map of keys to their values, with the event
// log's Application key there from the start. It can refuse every change
// as Windows refuses a standard user, or fail one chosen change, so that a
// test sees what a registration leaves behind. Paths are compared ignoring
// letter case, as the registry compares them.
#ifndef ZARN_TESTING_FAKE_MACHINE_REGISTRY_H_
#define ZARN_TESTING_FAKE_MACHINE_REGISTRY_H_

#include <cstdint>
#include <map>
#include <string>

#include "platform/machine_registry.h"

namespace zarn {

class FakeMachineRegistry final : public MachineRegistry {
 public:
  // Key path in lower case -> value name in lower case -> value.
  using Keys =
      std::map<std::u16string, std::map<std::u16string, RegistryValue>>;

  FakeMachineRegistry();

  bool KeyExists(std::u16string_view path) override;
  std::optional<RegistryValue> ReadValue(std::u16string_view path,
                                         std::u16string_view name) override;
  uint32_t CreateKey(std::u16string_view path) override;
  uint32_t WriteValue(std::u16string_view path, std::u16string_view name,
                      const RegistryValue& value) override;
  uint32_t DeleteValue(std::u16string_view path,
                       std::u16string_view name) override;
  uint32_t DeleteEmptyKey(std::u16string_view path) override;

  // The whole state, for comparing before and after.
  const Keys& keys() const { return keys_; }
  // Every change is refused with kErrorAccessDenied, as Windows refuses a
  // process that is not elevated; reading still works.
  void set_standard_user(bool standard) { standard_user_ = standard; }
  // The `n`-th change from now (1 for the next) fails with `error`, and
  // changes nothing; so does every other change named so.
  void FailChange(int n, uint32_t error) {
    failures_[changes_asked_ + n] = error;
  }
  // Changes that were made (refused and failed ones not counted).
  int changes_made() const { return changes_made_; }

 private:
  // 0 when the change may go ahead.
  uint32_t Admit();
  bool HasSubkeys(const std::u16string& key) const;

  Keys keys_;
  bool standard_user_ = false;
  int changes_asked_ = 0;
  int changes_made_ = 0;
  // Number of the change (counted from the start) -> its error.
  std::map<int, uint32_t> failures_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_MACHINE_REGISTRY_H_
