// The floor of the benchmarks: shows a window titled "ZARN Boden" and does
// nothing else but a one-second PeekMessage + Sleep loop, as the daemon's
// supervision loop does, until the window is closed.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = ::DefWindowProcW;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"ZarnFloor";
  ::RegisterClassW(&window_class);
  HWND window = ::CreateWindowExW(
      0, L"ZarnFloor", L"ZARN Boden", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
      CW_USEDEFAULT, 421, 224, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ::ShowWindow(window, SW_SHOWNORMAL);
  for (;;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      // DefWindowProc destroys the window on WM_CLOSE; no quit message
      // follows without a window procedure of our own.
      if (message.message == WM_QUIT) return 0;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (!::IsWindow(window)) return 0;
    ::Sleep(1000);
  }
}
