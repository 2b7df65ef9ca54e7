// Mapped network drives through the network provider (mpr).
#ifndef ZARN_PLATFORM_WIN32_WIN32_NETWORK_DRIVES_H_
#define ZARN_PLATFORM_WIN32_WIN32_NETWORK_DRIVES_H_

#include <memory>

#include "platform/network_drives.h"

namespace zarn {

std::unique_ptr<NetworkDrives> NewWin32NetworkDrives();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_NETWORK_DRIVES_H_
