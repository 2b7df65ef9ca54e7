// An in-memory settings store that counts reads and records writes in
// order, so tests can assert on the traffic as well as the values.
#ifndef ZARN_TESTING_FAKE_SETTINGS_STORE_H_
#define ZARN_TESTING_FAKE_SETTINGS_STORE_H_

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/settings_store.h"

namespace zarn {

class FakeSettingsStore final : public SettingsStore {
 public:
  std::u16string ReadSetting(std::u16string_view key,
                             std::u16string_view default_value) override;
  bool WriteSetting(std::u16string_view key, std::u16string_view text) override;

  // Setup and inspection; neither counts as traffic.
  void Set(std::u16string_view key, std::u16string_view text);
  void Erase(std::u16string_view key);
  std::optional<std::u16string> Get(std::u16string_view key) const;
  bool Has(std::u16string_view key) const { return Get(key).has_value(); }

  int read_count() const { return read_count_; }
  void reset_counts() {
    read_count_ = 0;
    reads_.clear();
    writes_.clear();
  }
  const std::vector<std::u16string>& reads() const { return reads_; }
  const std::vector<std::pair<std::u16string, std::u16string>>& writes() const {
    return writes_;
  }
  // Makes every WriteSetting fail without changing anything.
  void set_fail_writes(bool fail) { fail_writes_ = fail; }
  // Runs before each read, with the key: lets a test play a checker that
  // writes between two reads of the daemon.
  void set_on_read(std::function<void(std::u16string_view)> hook) {
    on_read_ = std::move(hook);
  }

 private:
  std::map<std::u16string, std::u16string, std::less<>> values_;
  int read_count_ = 0;
  std::vector<std::u16string> reads_;
  std::vector<std::pair<std::u16string, std::u16string>> writes_;
  bool fail_writes_ = false;
  std::function<void(std::u16string_view)> on_read_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_SETTINGS_STORE_H_
