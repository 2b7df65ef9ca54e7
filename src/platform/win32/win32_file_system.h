// The file system through the W functions of kernel32.
#ifndef ZARN_PLATFORM_WIN32_WIN32_FILE_SYSTEM_H_
#define ZARN_PLATFORM_WIN32_WIN32_FILE_SYSTEM_H_

#include <memory>

#include "platform/file_system.h"

namespace zarn {

// Paths are passed as given; the \\?\ long forms reach past MAX_PATH.
std::unique_ptr<FileSystem> NewWin32FileSystem();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_FILE_SYSTEM_H_
