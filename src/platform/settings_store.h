// The per-user settings store that the daemon and the checker share:
// named text values under one fixed registry key, read and written whole.
#ifndef ZARN_PLATFORM_SETTINGS_STORE_H_
#define ZARN_PLATFORM_SETTINGS_STORE_H_

#include <string>
#include <string_view>

namespace zarn {

// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Quenholt\ZARN,
// where VB's SaveSetting "Quenholt", "ZARN" puts the checker's values.
inline constexpr std::u16string_view kSettingsKeyPath =
    u"Software\\VB and VBA Program Settings\\Quenholt\\ZARN";

class SettingsStore {
 public:
  SettingsStore() = default;
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;
  virtual ~SettingsStore() = default;

  // The text of value `key`. Gives `default_value` when the value or the
  // key above it is missing, or when the value is neither REG_SZ nor
  // REG_EXPAND_SZ (read as its text, unexpanded). Never changes the store.
  virtual std::u16string ReadSetting(std::u16string_view key,
                                     std::u16string_view default_value) = 0;
  // Creates the key path when missing and replaces the whole value with a
  // REG_SZ of `text`. Returns false when the store refused the write.
  virtual bool WriteSetting(std::u16string_view key,
                            std::u16string_view text) = 0;
};

// The keys shared with the checker.
namespace settings {
inline constexpr std::u16string_view kDaemonCommand = u"DAEMONCOMMAND";
inline constexpr std::u16string_view kCommand = u"COMMAND";
inline constexpr std::u16string_view kStartedByDaemon = u"StartedByDaemon";
inline constexpr std::u16string_view kLiveStatus = u"LiveStatus";
inline constexpr std::u16string_view kLiveStatusTime = u"LiveStatusTime";
inline constexpr std::u16string_view kLiveStatusFunc = u"LiveStatusFunc";
inline constexpr std::u16string_view kLiveStatusCaption = u"LiveStatusCaption";
inline constexpr std::u16string_view kLiveStatusExec = u"LiveStatusExec";
inline constexpr std::u16string_view kPellamShowStatusform =
    u"PellamShowStatusform";
inline constexpr std::u16string_view kDaemonLog = u"DaemonLog";
inline constexpr std::u16string_view kProcessIds = u"ProcessIDs";
// The daemon's own: the UTC times of the restarts it made within the span
// of the restart limit, shared by every daemon of the user.
inline constexpr std::u16string_view kDaemonRestarts = u"DaemonRestarts";
}  // namespace settings

}  // namespace zarn

#endif  // ZARN_PLATFORM_SETTINGS_STORE_H_
