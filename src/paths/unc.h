// Module UNC: rewrites a UNC path into the drive-letter form of a mapped
// network drive. The map is built once per process and never refreshed.
#ifndef ZARN_PATHS_UNC_H_
#define ZARN_PATHS_UNC_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/network_drives.h"

namespace zarn {

class Unc {
 public:
  explicit Unc(NetworkDrives& drives) : drives_(drives) {}
  Unc(const Unc&) = delete;
  Unc& operator=(const Unc&) = delete;

  // The path unchanged when its second character is ":" (the map is not
  // touched); otherwise builds the map on first use and rewrites.
  std::u16string ToDrivePath(std::u16string_view path);
  // Fills the map from A: to Z: once per process.
  void BuildDriveMap();
  // The first mapped root (ascending letter) that prefixes the path,
  // ignoring case, replaced by its letter and ":"; else the path.
  std::u16string UncToDrivePath(std::u16string_view path) const;
  // 0 and the share for a connected network drive, else a nonzero code.
  int32_t GetUncName(std::u16string_view local_name, std::u16string& unc_name);

  bool built() const { return built_; }
  int drive_count() const { return drive_count_; }

 private:
  NetworkDrives& drives_;
  bool built_ = false;
  int drive_count_ = 0;
  std::array<std::u16string, 26> drive_roots_;
  std::array<std::u16string, 26> drive_letters_;
};

}  // namespace zarn

#endif  // ZARN_PATHS_UNC_H_
