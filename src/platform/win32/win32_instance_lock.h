// The user's instance lock as a named mutex in the Global\ namespace,
// named and owned by the user's SID.
#ifndef ZARN_PLATFORM_WIN32_WIN32_INSTANCE_LOCK_H_
#define ZARN_PLATFORM_WIN32_WIN32_INSTANCE_LOCK_H_

#include <memory>
#include <string>

#include "platform/instance_lock.h"

namespace zarn {

std::unique_ptr<InstanceLock> NewWin32InstanceLock();

// The mutex's name for our user, "Global\ZARNDaemon-" and the user's SID;
// empty when our own SID can't be read.
std::wstring InstanceLockName();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_INSTANCE_LOCK_H_
