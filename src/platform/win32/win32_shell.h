// The shell's association lookup (FindExecutableA) and CreateProcessW with
// a show-window value: how the checker's workbook is reopened in Excel.
#ifndef ZARN_PLATFORM_WIN32_WIN32_SHELL_H_
#define ZARN_PLATFORM_WIN32_WIN32_SHELL_H_

#include <memory>

#include "platform/shell.h"

namespace zarn {

std::unique_ptr<Shell> NewWin32Shell();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_SHELL_H_
