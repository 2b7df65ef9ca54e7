// The file system as the probe, the folder creation and the configuration
// reader use it: attributes, directory search, folder creation, reading,
// and the full form of a path.
#ifndef ZARN_PLATFORM_FILE_SYSTEM_H_
#define ZARN_PLATFORM_FILE_SYSTEM_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

inline constexpr uint32_t kAttributeDirectory = 0x10;

class FileSystem {
 public:
  FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;
  virtual ~FileSystem() = default;

  // The attribute bits of an existing file or folder, as GetFileAttributesW
  // gives them. nullopt for a missing path, a bad name, a path too long for
  // the call, a drive that isn't ready: any failure.
  virtual std::optional<uint32_t> GetAttributes(std::u16string_view path) = 0;
  // True when a directory search for `path`, folders included, yields an
  // entry (FindFirstFileW). The path is searched as given.
  virtual bool FindEntry(std::u16string_view path) = 0;
  // Creates one folder; its parent must exist. False on any failure,
  // including a folder that exists already.
  virtual bool CreateFolder(std::u16string_view path) = 0;
  // The whole content of a file, opened for reading with read and write
  // sharing. nullopt when it can't be opened or read (a folder included).
  virtual std::optional<std::vector<uint8_t>> ReadFile(
      std::u16string_view path) = 0;
  // The absolute form of `path` as GetFullPathNameW gives it: "." and ".."
  // resolved, "/" turned into "\", a relative path joined to the current
  // folder; a trailing backslash stays. Nothing is looked up on disk.
  // nullopt when the path can't be resolved (an empty path).
  virtual std::optional<std::u16string> FullPath(std::u16string_view path) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_FILE_SYSTEM_H_
