// A table of mapped drives in place of the network provider; counts the
// connection queries so tests can see that the map is built once.
#ifndef ZARN_TESTING_FAKE_NETWORK_DRIVES_H_
#define ZARN_TESTING_FAKE_NETWORK_DRIVES_H_

#include <map>
#include <string>

#include "platform/network_drives.h"

namespace zarn {

// WNetGetConnection's answer for a local drive that isn't a network drive.
inline constexpr int32_t kErrorNotConnected = 2250;

class FakeNetworkDrives final : public NetworkDrives {
 public:
  int32_t GetConnection(std::u16string_view local_name,
                        std::u16string& remote_name) override;

  // `letter` is "Z"; `remote` as the provider reports it (\\server\share).
  void Map(char16_t letter, std::u16string remote);
  void Unmap(char16_t letter) { drives_.erase(letter); }

  int query_count() const { return query_count_; }

 private:
  std::map<char16_t, std::u16string> drives_;
  int query_count_ = 0;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_NETWORK_DRIVES_H_
