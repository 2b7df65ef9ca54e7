// Win32_Process through WMI on the local machine (ROOT\CIMV2, the namespace
// the "winmgmts:" moniker gives), reached over COM.
#ifndef ZARN_PLATFORM_WIN32_WIN32_WMI_PROCESS_SERVICE_H_
#define ZARN_PLATFORM_WIN32_WIN32_WMI_PROCESS_SERVICE_H_

#include <memory>

#include "platform/wmi_process_service.h"

namespace zarn {

// The first Connect initialises COM for the process, apartment-threaded,
// with impersonation as the default security; it stays initialised.
std::unique_ptr<WmiProcessService> NewWin32WmiProcessService();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_WMI_PROCESS_SERVICE_H_
