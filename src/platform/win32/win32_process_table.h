// The local process table through Toolhelp, our own access token and
// OpenProcess/TerminateProcess.
#ifndef ZARN_PLATFORM_WIN32_WIN32_PROCESS_TABLE_H_
#define ZARN_PLATFORM_WIN32_WIN32_PROCESS_TABLE_H_

#include <memory>

#include "platform/process_table.h"

namespace zarn {

std::unique_ptr<ProcessTable> NewWin32ProcessTable();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_PROCESS_TABLE_H_
