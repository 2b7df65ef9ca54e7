// HKEY_LOCAL_MACHINE through the registry functions of advapi32.
#ifndef ZARN_PLATFORM_WIN32_WIN32_MACHINE_REGISTRY_H_
#define ZARN_PLATFORM_WIN32_WIN32_MACHINE_REGISTRY_H_

#include <memory>

#include "platform/machine_registry.h"

namespace zarn {

std::unique_ptr<MachineRegistry> NewWin32MachineRegistry();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_MACHINE_REGISTRY_H_
