// The daemon's settings key as raw registry values, for the fault tests:
// saved and cleared around each test, written with any type, and compared
// whole afterwards, so that a test sees every value it did not expect to
// change.
#ifndef ZARN_TESTS_FAULTS_SETTINGS_SNAPSHOT_H_
#define ZARN_TESTS_FAULTS_SETTINGS_SNAPSHOT_H_

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/settings_store.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"
#include "testing/win32/win32_test_support.h"

namespace zarn::faults {

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<uint8_t> bytes;
  bool operator==(const RawValue&) const = default;
};

// Value name to raw value; a missing key is an empty map.
using Snapshot = std::map<std::wstring, RawValue>;

inline const std::wstring& SettingsKey() {
  static const std::wstring key = win32::ToWide(kSettingsKeyPath);
  return key;
}

inline Snapshot TakeSnapshot() {
  Snapshot values;
  win32::UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey().c_str(), 0,
                      KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
    return values;
  }
  win32::ForEachRegistryValue(
      key.get(), [&](std::wstring name, DWORD type, std::vector<uint8_t> data) {
        values[std::move(name)] = {type, std::move(data)};
      });
  return values;
}

inline bool WriteRaw(const std::wstring& name, const RawValue& value) {
  win32::UniqueRegKey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey().c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return ::RegSetValueExW(
             key.get(), name.c_str(), 0, value.type, value.bytes.data(),
             static_cast<DWORD>(value.bytes.size())) == ERROR_SUCCESS;
}

// A REG_SZ with its terminating NUL, as VB's SaveSetting writes it.
inline RawValue Text(const std::wstring& text) {
  const auto* p = reinterpret_cast<const uint8_t*>(text.c_str());
  return {REG_SZ, std::vector<uint8_t>(p, p + (text.size() + 1) * 2)};
}

inline bool WriteText(const std::wstring& name, const std::wstring& text) {
  return WriteRaw(name, Text(text));
}

// The text of a REG_SZ value; nullopt when missing or of another type.
inline std::optional<std::wstring> ReadText(const std::wstring& name) {
  const Snapshot values = TakeSnapshot();
  const auto it = values.find(name);
  if (it == values.end() || it->second.type != REG_SZ) return std::nullopt;
  std::wstring text(it->second.bytes.size() / 2, L'\0');
  if (!text.empty())
    ::memcpy(text.data(), it->second.bytes.data(), text.size() * 2);
  return text.substr(0, text.find(L'\0'));
}

// Empties the settings key for one test and puts the values that were
// there back afterwards, whatever the test left.
class SettingsKeyGuard {
 public:
  SettingsKeyGuard() : saved_(TakeSnapshot()) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey().c_str());
  }
  ~SettingsKeyGuard() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey().c_str());
    for (const auto& [name, value] : saved_) WriteRaw(name, value);
  }
  SettingsKeyGuard(const SettingsKeyGuard&) = delete;
  SettingsKeyGuard& operator=(const SettingsKeyGuard&) = delete;

 private:
  Snapshot saved_;
};

}  // namespace zarn::faults

#endif  // ZARN_TESTS_FAULTS_SETTINGS_SNAPSHOT_H_
