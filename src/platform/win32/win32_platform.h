// Every Win32 backend of the daemon, built once by the entry point.
#ifndef ZARN_PLATFORM_WIN32_WIN32_PLATFORM_H_
#define ZARN_PLATFORM_WIN32_WIN32_PLATFORM_H_

#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zarn {

class Win32Platform {
 public:
  virtual ~Win32Platform() = default;
  // The bundle Main runs on; valid as long as this object.
  virtual Platform& platform() = 0;
};

// REQUIRES: the thread that will run Main (the status window belongs to it).
std::unique_ptr<Win32Platform> NewWin32Platform();

// The command line without the program's name and the blanks after it, as
// VB's Command$ gives it: "a.exe  x 1" gives "x 1".
std::u16string CommandLineArguments(std::u16string_view command_line);

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_PLATFORM_H_
