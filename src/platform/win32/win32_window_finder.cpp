#include "platform/win32/win32_window_finder.h"

#include <windows.h>

#include <string>

#include "platform/win32/wide.h"

namespace zarn {
namespace {

class Win32WindowFinder final : public WindowFinder {
 public:
  bool Exists(std::u16string_view class_name,
              std::u16string_view title) override {
    return Find(class_name, title) != nullptr;
  }

  std::optional<uint32_t> OwnerProcessId(std::u16string_view class_name,
                                         std::u16string_view title) override {
    HWND window = Find(class_name, title);
    if (!window) return std::nullopt;
    DWORD process_id = 0;
    // Zero when the window has gone meanwhile.
    if (::GetWindowThreadProcessId(window, &process_id) == 0) {
      return std::nullopt;
    }
    return process_id;
  }

 private:
  static HWND Find(std::u16string_view class_name, std::u16string_view title) {
    const std::string ansi_class = win32::ToAnsi(class_name);
    const std::string ansi_title = win32::ToAnsi(title);
    return ::FindWindowA(ansi_class.c_str(), ansi_title.c_str());
  }
};

}  // namespace

std::unique_ptr<WindowFinder> NewWin32WindowFinder() {
  return std::make_unique<Win32WindowFinder>();
}

}  // namespace zarn
