// windows.h first: its MessageBox macro must not rename our interface.
#include <windows.h>
#undef MessageBox

#include <string>
#include <string_view>

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

// Set by the timer when it closed the box of this thread.
thread_local bool closed_by_timer = false;

BOOL CALLBACK PressOkOnBox(HWND window, LPARAM) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  // The dialog class: the box is the thread's one dialog while it shows.
  if (std::wstring_view(name) != L"#32770") return TRUE;
  ::PostMessageW(window, WM_COMMAND, IDOK, 0);
  closed_by_timer = true;
  return FALSE;
}

// A thread timer's WM_TIMER comes through the box's own modal loop, which
// calls this on the box's thread. It repeats until it finds the box, in
// case it fires before the box is made.
void CALLBACK CloseOwnBox(HWND, UINT, UINT_PTR, DWORD) {
  if (!closed_by_timer) {
    ::EnumThreadWindows(::GetCurrentThreadId(), PressOkOnBox, 0);
  }
}

class Win32MessageBox final : public MessageBox {
 public:
  void Show(std::u16string_view text, std::u16string_view title,
            MessageKind kind) override {
    ShowBox(text, title, kind);
  }

  MessageClosed ShowFor(std::u16string_view text, std::u16string_view title,
                        MessageKind kind, uint32_t timeout_ms) override {
    closed_by_timer = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, timeout_ms, CloseOwnBox);
    ShowBox(text, title, kind);
    if (timer) ::KillTimer(nullptr, timer);
    return closed_by_timer ? MessageClosed::kTimedOut : MessageClosed::kByUser;
  }

 private:
  static void ShowBox(std::u16string_view text, std::u16string_view title,
                      MessageKind kind) {
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
