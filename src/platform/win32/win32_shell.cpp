#include "platform/win32/win32_shell.h"

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>
// Its FindExecutable macro would rename our interface's method.
#undef FindExecutable

#include <cstring>
#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

class Win32Shell final : public Shell {
 public:
  std::u16string FindExecutable(std::u16string_view document) override {
    // shell32.dll, with its train of DLLs, found at the launch.
    static const auto find_executable =
        win32::FindSystemFunction<decltype(::FindExecutableA)>(
            L"shell32.dll", "FindExecutableA");
    if (!find_executable) return {};
    if (document.find(u'\0') != std::u16string_view::npos) return {};
    const std::string ansi = win32::ToAnsi(document);
    // The shell leaves the buffer untouched when it finds nothing, so it
    // starts out empty; its return code says no more than the buffer.
    char buffer[MAX_PATH + 1] = {};
    find_executable(ansi.c_str(), nullptr, buffer);
    buffer[MAX_PATH] = '\0';
    return win32::FromAnsi(std::string_view(buffer, std::strlen(buffer)));
  }

  uint32_t StartProcess(std::u16string_view command_line,
                        ShowWindow show) override {
    if (command_line.empty() ||
        command_line.find(u'\0') != std::u16string_view::npos) {
      return ERROR_INVALID_PARAMETER;
    }
    // CreateProcessW may write into the command line.
    std::wstring mutable_line = win32::ToWide(command_line);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, mutable_line.data(), nullptr, nullptr, FALSE,
                          0, nullptr, nullptr, &startup, &info)) {
      return ::GetLastError();
    }
    // Excel runs on its own; nothing of it is kept.
    win32::UniqueHandle process(info.hProcess);
    win32::UniqueHandle thread(info.hThread);
    return 0;
  }
};

}  // namespace

std::unique_ptr<Shell> NewWin32Shell() {
  return std::make_unique<Win32Shell>();
}

}  // namespace zarn
