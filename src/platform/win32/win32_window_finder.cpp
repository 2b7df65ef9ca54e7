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
    const std::string ansi_class = win32::ToAnsi(class_name);
    const std::string ansi_title = win32::ToAnsi(title);
    return ::FindWindowA(ansi_class.c_str(), ansi_title.c_str()) != nullptr;
  }
};

}  // namespace

std::unique_ptr<WindowFinder> NewWin32WindowFinder() {
  return std::make_unique<Win32WindowFinder>();
}

}  // namespace zarn
