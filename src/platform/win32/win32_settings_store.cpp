#include "platform/win32/win32_settings_store.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

class Win32SettingsStore final : public SettingsStore {
 public:
  explicit Win32SettingsStore(std::u16string_view key_path)
      : key_path_(win32::ToWide(key_path)) {}

  std::u16string ReadSetting(std::u16string_view key,
                             std::u16string_view default_value) override {
    win32::UniqueRegKey hkey;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key_path_.c_str(), 0,
                        KEY_QUERY_VALUE, hkey.put()) != ERROR_SUCCESS) {
      return std::u16string(default_value);
    }
    const std::wstring name = win32::ToWide(key);
    // The checker may rewrite a value between our size query and the read;
    // a value that grew is asked for again.
    for (int attempt = 0; attempt < 8; ++attempt) {
      DWORD type = 0;
      DWORD bytes = 0;
      if (::RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, nullptr,
                             &bytes) != ERROR_SUCCESS ||
          (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::u16string(default_value);
      }
      std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
      DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
      const LSTATUS status =
          ::RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &size);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS ||
          (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::u16string(default_value);
      }
      // The stored text may or may not carry its terminating NUL; the value
      // is the text up to the first NUL.
      size_t length = size / sizeof(wchar_t);
      for (size_t i = 0; i < length; ++i) {
        if (buffer[i] == L'\0') {
          length = i;
          break;
        }
      }
      return win32::FromWide(std::wstring_view(buffer.data(), length));
    }
    return std::u16string(default_value);
  }

  bool WriteSetting(std::u16string_view key,
                    std::u16string_view text) override {
    win32::UniqueRegKey hkey;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key_path_.c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                          hkey.put(), nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const std::wstring name = win32::ToWide(key);
    const std::wstring value = win32::ToWide(text);
    const DWORD bytes =
        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(hkey.get(), name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            bytes) == ERROR_SUCCESS;
  }

 private:
  std::wstring key_path_;
};

}  // namespace

std::unique_ptr<SettingsStore> NewWin32SettingsStore(
    std::u16string_view key_path) {
  return std::make_unique<Win32SettingsStore>(key_path);
}

}  // namespace zarn
