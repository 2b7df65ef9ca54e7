#include "testing/fake_network_drives.h"

#include "common/text.h"

namespace zarn {

int32_t FakeNetworkDrives::GetConnection(std::u16string_view local_name,
                                         std::u16string& remote_name) {
  ++query_count_;
  if (local_name.size() != 2 || local_name[1] != u':')
    return 1200;  // BAD_DEVICE
  auto it = drives_.find(ToUpperChar(local_name[0]));
  if (it == drives_.end()) return kErrorNotConnected;
  remote_name = it->second;
  return 0;
}

void FakeNetworkDrives::Map(char16_t letter, std::u16string remote) {
  drives_[ToUpperChar(letter)] = std::move(remote);
}

}  // namespace zarn
