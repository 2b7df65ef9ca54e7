// The settings store on the registry of the current user.
#ifndef ZARN_PLATFORM_WIN32_WIN32_SETTINGS_STORE_H_
#define ZARN_PLATFORM_WIN32_WIN32_SETTINGS_STORE_H_

#include <memory>
#include <string_view>

#include "platform/settings_store.h"

namespace zarn {

// REG_SZ values under HKEY_CURRENT_USER\`key_path`. Tests pass a key of
// their own so that they never touch the checker's values.
std::unique_ptr<SettingsStore> NewWin32SettingsStore(
    std::u16string_view key_path = kSettingsKeyPath);

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_SETTINGS_STORE_H_
