// windows.h first: its MessageBox macro must not rename our interface.
#include <windows.h>
#undef MessageBox

#include <string>

#include "platform/win32/wide.h"
#include "platform/win32/win32_message_box.h"

namespace zarn {
namespace {

std::wstring DefaultTitle() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(),
                                         static_cast<DWORD>(path.size()));
    if (n == 0) return L"";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  std::wstring name =
      slash == std::wstring::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.resize(dot);
  return name;
}

class Win32MessageBox final : public MessageBox {
 public:
  void Show(std::u16string_view text, std::u16string_view title,
            MessageKind kind) override {
    const std::wstring wide_text = win32::ToWide(text);
    const std::wstring wide_title =
        title.empty() ? DefaultTitle() : win32::ToWide(title);
    UINT style = MB_OK;
    if (kind == MessageKind::kCriticalSystemModal) {
      style |= MB_ICONERROR | MB_SYSTEMMODAL;
    }
    ::MessageBoxW(nullptr, wide_text.c_str(), wide_title.c_str(), style);
  }
};

}  // namespace

std::unique_ptr<MessageBox> NewWin32MessageBox() {
  return std::make_unique<Win32MessageBox>();
}

}  // namespace zarn
