// Appending to a file with CreateFileW(FILE_APPEND_DATA), sharing read and
// write access, so that a reader of the daemon log never blocks a line.
#ifndef ZARN_PLATFORM_WIN32_WIN32_FILE_APPENDER_H_
#define ZARN_PLATFORM_WIN32_WIN32_FILE_APPENDER_H_

#include <memory>

#include "platform/file_appender.h"

namespace zarn {

std::unique_ptr<FileAppender> NewWin32FileAppender();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_FILE_APPENDER_H_
