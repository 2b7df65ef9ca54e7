#include "platform/win32/win32_settings_store.h"

#include <windows.h>

#include <algorithm>
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
    const std::wstring name = win32::ToWide(key);
    // A key deleted while we held it open (the checker may delete its
    // settings and write them anew) is opened again, once.
    for (int pass = 0; pass < 2; ++pass) {
      if (!read_key_ &&
          ::RegOpenKeyExW(HKEY_CURRENT_USER, key_path_.c_str(), 0,
                          KEY_QUERY_VALUE, read_key_.put()) != ERROR_SUCCESS) {
        read_key_.reset();
        return std::u16string(default_value);
      }
      std::u16string text;
      const LSTATUS status = QueryText(name, text);
      if (status == ERROR_SUCCESS) return text;
      if (status != ERROR_KEY_DELETED) break;
      read_key_.reset();
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
  // The value `name` of the open key as text, or why not: a missing value
  // and one of another type than text both give ERROR_FILE_NOT_FOUND.
  LSTATUS QueryText(const std::wstring& name, std::u16string& text) const {
    // Most values fit here, and one call to the registry reads them.
    wchar_t small[256];
    std::vector<wchar_t> large;
    wchar_t* buffer = small;
    DWORD capacity = sizeof small;
    // The checker may rewrite a value between our size query and the read;
    // a value that grew is asked for again.
    for (int attempt = 0; attempt < 8; ++attempt) {
      DWORD type = 0;
      DWORD size = capacity;
      const LSTATUS status =
          ::RegQueryValueExW(read_key_.get(), name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer), &size);
      const bool is_text = type == REG_SZ || type == REG_EXPAND_SZ;
      if (status == ERROR_MORE_DATA && is_text) {
        // Room for the value and a NUL of our own.
        large.assign(size / sizeof(wchar_t) + 2, L'\0');
        buffer = large.data();
        capacity = static_cast<DWORD>(large.size() * sizeof(wchar_t));
        continue;
      }
      if (status == ERROR_KEY_DELETED || status == ERROR_FILE_NOT_FOUND) {
        return status;
      }
      if (!is_text) return ERROR_FILE_NOT_FOUND;
      if (status != ERROR_SUCCESS) return status;
      // The stored text may or may not carry its terminating NUL; the value
      // is the text up to the first NUL.
      const size_t units = size / sizeof(wchar_t);
      const size_t length = std::find(buffer, buffer + units, L'\0') - buffer;
      text = win32::FromWide(std::wstring_view(buffer, length));
      return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
  }

  std::wstring key_path_;
  // Open between reads: the loop reads the key every second, and opening
  // and closing it for each value tripled the calls to the registry.
  win32::UniqueRegKey read_key_;
};

}  // namespace

std::unique_ptr<SettingsStore> NewWin32SettingsStore(
    std::u16string_view key_path) {
  return std::make_unique<Win32SettingsStore>(key_path);
}

}  // namespace zarn
