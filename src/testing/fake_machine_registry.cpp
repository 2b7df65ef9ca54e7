#include "testing/fake_machine_registry.h"

#include "common/text.h"

namespace zarn {
namespace {

// ERROR_FILE_NOT_FOUND: the parent of a key to create is missing.
constexpr uint32_t kErrorFileNotFound = 2;

std::u16string ParentOf(const std::u16string& key) {
  const size_t slash = key.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string()
                                       : key.substr(0, slash);
}

}  // namespace

FakeMachineRegistry::FakeMachineRegistry() {
  std::u16string path = ToLower(kEventSourceKeyPath);
  // Every key above the source's exists, as on any Windows.
  for (path = ParentOf(path); !path.empty(); path = ParentOf(path)) {
    keys_[path];
  }
}

bool FakeMachineRegistry::KeyExists(std::u16string_view path) {
  return keys_.count(ToLower(path)) != 0;
}

std::optional<RegistryValue> FakeMachineRegistry::ReadValue(
    std::u16string_view path, std::u16string_view name) {
  const auto key = keys_.find(ToLower(path));
  if (key == keys_.end()) return std::nullopt;
  const auto value = key->second.find(ToLower(name));
  if (value == key->second.end()) return std::nullopt;
  return value->second;
}

uint32_t FakeMachineRegistry::CreateKey(std::u16string_view path) {
  const std::u16string key = ToLower(path);
  if (const uint32_t error = Admit()) return error;
  if (!keys_.count(ParentOf(key))) return kErrorFileNotFound;
  if (!keys_.count(key)) {
    keys_[key];
    ++changes_made_;
  }
  return 0;
}

uint32_t FakeMachineRegistry::WriteValue(std::u16string_view path,
                                         std::u16string_view name,
                                         const RegistryValue& value) {
  const auto key = keys_.find(ToLower(path));
  if (const uint32_t error = Admit()) return error;
  if (key == keys_.end()) return kErrorFileNotFound;
  key->second[ToLower(name)] = value;
  ++changes_made_;
  return 0;
}

uint32_t FakeMachineRegistry::DeleteValue(std::u16string_view path,
                                          std::u16string_view name) {
  const auto key = keys_.find(ToLower(path));
  if (const uint32_t error = Admit()) return error;
  if (key != keys_.end() && key->second.erase(ToLower(name))) ++changes_made_;
  return 0;
}

uint32_t FakeMachineRegistry::DeleteEmptyKey(std::u16string_view path) {
  const std::u16string lower = ToLower(path);
  const auto key = keys_.find(lower);
  if (const uint32_t error = Admit()) return error;
  if (key == keys_.end()) return 0;
  if (!key->second.empty() || HasSubkeys(lower)) return kErrorKeyNotEmpty;
  keys_.erase(key);
  ++changes_made_;
  return 0;
}

uint32_t FakeMachineRegistry::Admit() {
  ++changes_asked_;
  if (standard_user_) return kErrorAccessDenied;
  const auto failure = failures_.find(changes_asked_);
  return failure == failures_.end() ? 0 : failure->second;
}

bool FakeMachineRegistry::HasSubkeys(const std::u16string& key) const {
  for (const auto& [path, values] : keys_) {
    if (ParentOf(path) == key) return true;
  }
  return false;
}

}  // namespace zarn
