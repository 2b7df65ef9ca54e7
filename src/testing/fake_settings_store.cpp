#include "testing/fake_settings_store.h"

namespace zarn {

std::u16string FakeSettingsStore::ReadSetting(
    std::u16string_view key, std::u16string_view default_value) {
  if (on_read_) on_read_(key);
  ++read_count_;
  reads_.emplace_back(key);
  auto it = values_.find(key);
  return it == values_.end() ? std::u16string(default_value) : it->second;
}

bool FakeSettingsStore::WriteSetting(std::u16string_view key,
                                     std::u16string_view text) {
  if (fail_writes_) return false;
  writes_.emplace_back(std::u16string(key), std::u16string(text));
  Set(key, text);
  return true;
}

void FakeSettingsStore::Set(std::u16string_view key, std::u16string_view text) {
  values_.insert_or_assign(std::u16string(key), std::u16string(text));
}

void FakeSettingsStore::Erase(std::u16string_view key) {
  auto it = values_.find(key);
  if (it != values_.end()) values_.erase(it);
}

std::optional<std::u16string> FakeSettingsStore::Get(
    std::u16string_view key) const {
  auto it = values_.find(key);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

}  // namespace zarn
