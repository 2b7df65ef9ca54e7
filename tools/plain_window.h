// The plain window that the small stand-in programs show: a class of its
// own whose procedure is DefWindowProc, and an overlapped window of it.
// Header-only, so that the floor of the benchmarks stays as small as a
// window program can be.
#ifndef ZARN_TOOLS_PLAIN_WINDOW_H_
#define ZARN_TOOLS_PLAIN_WINDOW_H_

#include <windows.h>

namespace zarn::tools {

// Registers `class_name` and creates a window of it, not yet shown; null
// when the system refuses. DefWindowProc destroys the window on WM_CLOSE,
// and no WM_QUIT follows.
inline HWND CreatePlainWindow(HINSTANCE instance, const wchar_t* class_name,
                              const wchar_t* title, int width, int height) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = ::DefWindowProcW;
  window_class.hInstance = instance;
  window_class.lpszClassName = class_name;
  ::RegisterClassW(&window_class);
  return ::CreateWindowExW(0, class_name, title, WS_OVERLAPPEDWINDOW,
                           CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr,
                           nullptr, instance, nullptr);
}

}  // namespace zarn::tools

#endif  // ZARN_TOOLS_PLAIN_WINDOW_H_
