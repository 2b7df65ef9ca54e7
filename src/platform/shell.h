// The shell's file association and the start of a program from a command
// line: what reopens the checker's workbook in Excel.
#ifndef ZARN_PLATFORM_SHELL_H_
#define ZARN_PLATFORM_SHELL_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

enum class ShowWindow : uint16_t { kHidden = 0, kNormal = 1 };

class Shell {
 public:
  Shell() = default;
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;
  virtual ~Shell() = default;

  // FindExecutableA with a null directory: the buffer's text up to its
  // first NUL, untrimmed. Empty when there is no association.
  virtual std::u16string FindExecutable(std::u16string_view document) = 0;
  // Starts `command_line` with that show-window value and does not wait.
  // Gives 0 when the process was created, else the Win32 error code.
  virtual uint32_t StartProcess(std::u16string_view command_line,
                                ShowWindow show) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_SHELL_H_
