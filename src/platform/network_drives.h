// Which network share a drive letter is mapped to.
#ifndef ZARN_PLATFORM_NETWORK_DRIVES_H_
#define ZARN_PLATFORM_NETWORK_DRIVES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

class NetworkDrives {
 public:
  NetworkDrives() = default;
  NetworkDrives(const NetworkDrives&) = delete;
  NetworkDrives& operator=(const NetworkDrives&) = delete;
  virtual ~NetworkDrives() = default;

  // WNetGetConnection for a local name such as "Z:". Gives 0 and sets
  // `remote_name` (for example \\server\share) when the drive is a
  // connected network drive, else the nonzero result code.
  virtual int32_t GetConnection(std::u16string_view local_name,
                                std::u16string& remote_name) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_NETWORK_DRIVES_H_
