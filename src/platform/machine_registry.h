// The machine's part of the registry, HKEY_LOCAL_MACHINE, which everyone
// may read and only an administrator may change: where the event source
// is registered, so that Event Viewer finds the words of its events.
#ifndef ZARN_PLATFORM_MACHINE_REGISTRY_H_
#define ZARN_PLATFORM_MACHINE_REGISTRY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

// The registration of kEventSourceName in the Application log, below
// HKEY_LOCAL_MACHINE.
inline constexpr std::u16string_view kEventSourceKeyPath =
    u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\ZARNDaemon";

// The registry's own type numbers (REG_SZ, REG_DWORD).
inline constexpr uint32_t kRegText = 1;
inline constexpr uint32_t kRegNumber = 4;

// Windows error codes the registration tells apart: what a standard user
// gets for every change below HKEY_LOCAL_MACHINE, and what a key that
// still holds something gives.
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorKeyNotEmpty = 145;  // ERROR_DIR_NOT_EMPTY

// A value as the registry stores it: its type and its bytes.
struct RegistryValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;

  bool operator==(const RegistryValue&) const = default;
};

class MachineRegistry {
 public:
  MachineRegistry() = default;
  MachineRegistry(const MachineRegistry&) = delete;
  MachineRegistry& operator=(const MachineRegistry&) = delete;
  virtual ~MachineRegistry() = default;

  // Paths are below HKEY_LOCAL_MACHINE, parts separated by backslashes.
  // The changes give 0 when done, else the Windows error code:
  // kErrorAccessDenied when the caller may not change the machine's
  // settings. None of them waits or shows anything.

  // Whether the key `path` exists.
  virtual bool KeyExists(std::u16string_view path) = 0;
  // The value `name` of the key `path` as stored; nullopt when the key or
  // the value is missing or can't be read.
  virtual std::optional<RegistryValue> ReadValue(std::u16string_view path,
                                                 std::u16string_view name) = 0;
  // Makes the key `path` exist; 0 also when it was there.
  // REQUIRES: its parent exists.
  virtual uint32_t CreateKey(std::u16string_view path) = 0;
  // Replaces the whole value `name` of the existing key `path`.
  virtual uint32_t WriteValue(std::u16string_view path,
                              std::u16string_view name,
                              const RegistryValue& value) = 0;
  // Deletes the value; 0 also when it was missing.
  virtual uint32_t DeleteValue(std::u16string_view path,
                               std::u16string_view name) = 0;
  // Deletes the key `path` when it holds neither values nor subkeys; 0 also
  // when it was missing. A key that still holds something stays, with
  // kErrorKeyNotEmpty.
  virtual uint32_t DeleteEmptyKey(std::u16string_view path) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_MACHINE_REGISTRY_H_
