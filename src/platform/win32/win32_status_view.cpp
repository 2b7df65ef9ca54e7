#include "platform/win32/win32_status_view.h"

#include <windows.h>

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/wide.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_label_font.h"
#include "platform/win32/win32_status_layout.h"

namespace zarn {
namespace {

constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// WS_EX_CONTROLPARENT lets IsDialogMessage move the focus with Tab.
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

int ControlIdOf(StatusLabel label) {
  switch (label) {
    case StatusLabel::kCancelTime:
      return kCancelTimeId;
    case StatusLabel::kStatus:
      return kStatusId;
    case StatusLabel::kStatus2:
      return kStatus2Id;
    case StatusLabel::kRestarts:
      return kNeustartsId;
  }
  return 0;
}

LRESULT CALLBACK StatusWindowProc(HWND, UINT, WPARAM, LPARAM);

bool RegisterStatusWindowClass(HINSTANCE instance) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = StatusWindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kStatusWindowClass;
  return ::RegisterClassExW(&window_class) != 0 ||
         ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

class Win32StatusView final : public StatusView {
 public:
  ~Win32StatusView() override { Unload(); }

  void SetCaption(StatusLabel label, std::u16string_view text) override {
    if (!EnsureWindow()) return;
    // The loop sets every caption each second, most of them unchanged; a
    // label that is set repaints, so only a new text is set. The texts are
    // kept here: asking the label for its own would cost calls to the
    // window system every second.
    std::wstring& shown = captions_[static_cast<size_t>(label)];
    if (text ==
        std::u16string_view(reinterpret_cast<const char16_t*>(shown.data()),
                            shown.size())) {
      return;
    }
    shown = win32::ToWide(text);
    ::SetDlgItemTextW(window_, ControlIdOf(label), shown.c_str());
    if (label == StatusLabel::kRestarts && !restarts_shown_) ShowRestartsRow();
  }

  bool Show() override {
    if (!EnsureWindow()) return false;
    // Activated like any window that opens, but never kept on top.
    ::ShowWindow(window_, SW_SHOWNORMAL);
    HWND focus = ::GetFocus();
    if (!focus || !::IsChild(window_, focus)) {
      ::SetFocus(::GetDlgItem(window_, kCmdAbbruchId));
    }
    return true;
  }

  void Hide() override {
    if (window_) ::ShowWindow(window_, SW_HIDE);
  }

  void Unload() override {
    unloaded_ = true;
    if (power_notify_) ::UnregisterSuspendResumeNotification(power_notify_);
    power_notify_ = nullptr;
    if (window_) ::DestroyWindow(window_);
    window_ = nullptr;
    DeleteFonts();
  }

  void ProcessPendingEvents(ButtonFlags& flags) override {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      // Nothing in the daemon ends its thread through WM_QUIT.
      if (message.message == WM_QUIT) continue;
      if (window_ && ::IsDialogMessageW(window_, &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    // The handlers may also have run inside a message box's own loop;
    // the loop learns of them here, as of all others.
    flags.cancel_requested |= pressed_.cancel_requested;
    flags.restart_requested |= pressed_.restart_requested;
    pressed_ = {};
  }

  PowerNotices TakePowerNotices() override {
    return std::exchange(power_notices_, PowerNotices{});
  }

  LRESULT HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
      case WM_COMMAND:
        if (HIWORD(w) == BN_CLICKED && LOWORD(w) == kCmdAbbruchId) {
          pressed_.cancel_requested = true;
          ::ShowWindow(window, SW_HIDE);
          return 0;
        }
        if (HIWORD(w) == BN_CLICKED && LOWORD(w) == kNeuStartenId) {
          pressed_.restart_requested = true;
          ::ShowWindow(window, SW_HIDE);
          return 0;
        }
        break;
      case WM_CLOSE:
        // The frame's close box and Alt+F4 end the supervision, as
        // "Überwachung abbrechen" does; the window is not destroyed here.
        pressed_.cancel_requested = true;
        ::ShowWindow(window, SW_HIDE);
        return 0;
      case WM_ACTIVATE:
        // Give the focus back to the button that had it, as a dialog does.
        if (LOWORD(w) == WA_INACTIVE) {
          HWND focus = ::GetFocus();
          if (focus && ::IsChild(window, focus)) last_focus_ = focus;
        } else {
          ::SetFocus(last_focus_ && ::IsWindow(last_focus_)
                         ? last_focus_
                         : ::GetDlgItem(window, kCmdAbbruchId));
        }
        return 0;
      case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(l);
        ::SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Layout(HIWORD(w));
        return 0;
      }
      case WM_POWERBROADCAST:
        if (w == PBT_APMSUSPEND) {
          power_notices_.suspending = true;
        } else if (w == PBT_APMRESUMEAUTOMATIC || w == PBT_APMRESUMESUSPEND) {
          power_notices_.resumed = true;
          power_notices_.suspending = false;
        }
        return TRUE;
      case WM_NCDESTROY:
        window_ = nullptr;
        break;
    }
    return ::DefWindowProcW(window, message, w, l);
  }

 private:
  bool EnsureWindow() {
    if (window_) return true;
    if (unloaded_) return false;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!RegisterStatusWindowClass(instance)) return false;
    HWND window = ::CreateWindowExW(
        kWindowExStyle, kStatusWindowClass, kStatusWindowCaption, kWindowStyle,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
        nullptr, instance, this);
    if (!window) return false;
    window_ = window;
    // Windows may tell of a suspend and a resume only the windows that
    // asked, as laptops in modern standby are reported to do. Null where
    // it refuses: the window then hears what is sent to all.
    power_notify_ = ::RegisterSuspendResumeNotification(
        window_, DEVICE_NOTIFY_WINDOW_HANDLE);
    for (const StatusControlLayout& control : kStatusControls) {
      // Only the buttons take the focus; labels show captions verbatim.
      const DWORD style =
          WS_CHILD | (control.restarts_row ? 0 : WS_VISIBLE) |
          (control.button ? WS_TABSTOP | BS_PUSHBUTTON : SS_LEFT | SS_NOPREFIX);
      if (!::CreateWindowExW(
              0, control.button ? L"BUTTON" : L"STATIC", control.text, style, 0,
              0, 0, 0, window_,
              reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
              instance, nullptr)) {
        Unload();
        unloaded_ = false;
        return false;
      }
    }
    Layout(win32::DpiForWindow(window_));
    return true;
  }

  // The headline makes room for the row below its line.
  void ShowRestartsRow() {
    restarts_shown_ = true;
    Layout(win32::DpiForWindow(window_));
    for (const StatusControlLayout& control : kStatusControls) {
      if (control.restarts_row) {
        ::ShowWindow(::GetDlgItem(window_, control.id), SW_SHOWNA);
      }
    }
  }

  // Places the window's client area and every control for `dpi`, with
  // fonts of that DPI.
  void Layout(UINT dpi) {
    const SIZE outer = win32::WindowSizeForClient(
        {win32::TwipsToPixels(kStatusClientWidthTwips, dpi),
         win32::TwipsToPixels(kStatusClientHeightTwips, dpi)},
        kWindowStyle, kWindowExStyle, dpi);
    ::SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    HFONT old_bold = bold_font_;
    HFONT old_label = label_font_;
    bold_font_ = ::CreateFontW(
        -::MulDiv(12, static_cast<int>(dpi), 72), 0, 0, 0, FW_BOLD, FALSE,
        FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
        DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    const LOGFONTW label = ChooseLabelFont(dpi);
    label_font_ = ::CreateFontIndirectW(&label);
    HFONT fallback = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));

    for (const StatusControlLayout& control : kStatusControls) {
      HWND child = ::GetDlgItem(window_, control.id);
      const int height = control.id == kLabel1Id && restarts_shown_
                             ? kLabel1HeightAboveRestartsTwips
                             : control.height;
      ::SetWindowPos(child, nullptr, win32::TwipsToPixels(control.left, dpi),
                     win32::TwipsToPixels(control.top, dpi),
                     win32::TwipsToPixels(control.width, dpi),
                     win32::TwipsToPixels(height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
      HFONT font = control.bold ? bold_font_ : label_font_;
      ::SendMessageW(child, WM_SETFONT,
                     reinterpret_cast<WPARAM>(font ? font : fallback), TRUE);
    }
    if (old_bold) ::DeleteObject(old_bold);
    if (old_label) ::DeleteObject(old_label);
  }

  void DeleteFonts() {
    if (bold_font_) ::DeleteObject(bold_font_);
    if (label_font_) ::DeleteObject(label_font_);
    bold_font_ = nullptr;
    label_font_ = nullptr;
  }

  HWND window_ = nullptr;
  // The captions as set, by StatusLabel; the labels start out empty.
  std::array<std::wstring, 4> captions_;
  bool restarts_shown_ = false;
  HWND last_focus_ = nullptr;
  HFONT bold_font_ = nullptr;
  HFONT label_font_ = nullptr;
  ButtonFlags pressed_;
  PowerNotices power_notices_;
  HPOWERNOTIFY power_notify_ = nullptr;
  bool unloaded_ = false;
};

LRESULT CALLBACK StatusWindowProc(HWND window, UINT message, WPARAM w,
                                  LPARAM l) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(l);
    ::SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* view = reinterpret_cast<Win32StatusView*>(
      ::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!view) return ::DefWindowProcW(window, message, w, l);
  return view->HandleMessage(window, message, w, l);
}

}  // namespace

std::unique_ptr<StatusView> NewWin32StatusView() {
  return std::make_unique<Win32StatusView>();
}

}  // namespace zarn
