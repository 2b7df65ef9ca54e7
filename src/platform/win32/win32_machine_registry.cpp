#include "platform/win32/win32_machine_registry.h"

#include <windows.h>

#include <string>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

class Win32MachineRegistry final : public MachineRegistry {
 public:
  bool KeyExists(std::u16string_view path) override {
    win32::UniqueRegKey key;
    // A key we may not read exists all the same.
    return Open(path, KEY_QUERY_VALUE, key) != ERROR_FILE_NOT_FOUND;
  }

  std::optional<RegistryValue> ReadValue(std::u16string_view path,
                                         std::u16string_view name) override {
    win32::UniqueRegKey key;
    if (Open(path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) return std::nullopt;
    const std::wstring value_name = win32::ToWide(name);
    // A value rewritten between the size query and the read is asked for
    // again.
    for (int attempt = 0; attempt < 4; ++attempt) {
      DWORD type = 0;
      DWORD size = 0;
      if (::RegQueryValueExW(key.get(), value_name.c_str(), nullptr, &type,
                             nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
      }
      RegistryValue value;
      value.data.resize(size);
      const LSTATUS status =
          ::RegQueryValueExW(key.get(), value_name.c_str(), nullptr, &type,
                             value.data.data(), &size);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS) return std::nullopt;
      value.type = type;
      value.data.resize(size);
      return value;
    }
    return std::nullopt;
  }

  uint32_t CreateKey(std::u16string_view path) override {
    const std::wstring wide = win32::ToWide(path);
    win32::UniqueRegKey key;
    // Asking to change the key, not only to read it: a standard user is
    // refused here even where the key exists, before anything is written.
    return ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, wide.c_str(), 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                             key.put(), nullptr);
  }

  uint32_t WriteValue(std::u16string_view path, std::u16string_view name,
                      const RegistryValue& value) override {
    win32::UniqueRegKey key;
    if (const LSTATUS status = Open(path, KEY_SET_VALUE, key)) return status;
    return ::RegSetValueExW(key.get(), win32::ToWide(name).c_str(), 0,
                            value.type, value.data.data(),
                            static_cast<DWORD>(value.data.size()));
  }

  uint32_t DeleteValue(std::u16string_view path,
                       std::u16string_view name) override {
    win32::UniqueRegKey key;
    LSTATUS status = Open(path, KEY_SET_VALUE, key);
    if (status == ERROR_SUCCESS) {
      status = ::RegDeleteValueW(key.get(), win32::ToWide(name).c_str());
    }
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
  }

  uint32_t DeleteEmptyKey(std::u16string_view path) override {
    win32::UniqueRegKey key;
    LSTATUS status = Open(path, KEY_QUERY_VALUE, key);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    DWORD subkeys = 0;
    DWORD values = 0;
    status = ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys,
                                nullptr, nullptr, &values, nullptr, nullptr,
                                nullptr, nullptr);
    if (status != ERROR_SUCCESS) return status;
    if (subkeys != 0 || values != 0) return kErrorKeyNotEmpty;
    key.reset();
    status = ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, win32::ToWide(path).c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
  }

 private:
  static LSTATUS Open(std::u16string_view path, REGSAM access,
                      win32::UniqueRegKey& key) {
    const LSTATUS status = ::RegOpenKeyExW(
        HKEY_LOCAL_MACHINE, win32::ToWide(path).c_str(), 0, access, key.put());
    if (status != ERROR_SUCCESS) key.reset();
    return status;
  }
};

}  // namespace

std::unique_ptr<MachineRegistry> NewWin32MachineRegistry() {
  return std::make_unique<Win32MachineRegistry>();
}

}  // namespace zarn
