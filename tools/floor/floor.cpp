// The floor of the benchmarks: shows a window titled "ZARN Boden" and does
// nothing else but a one-second PeekMessage + Sleep loop, as the daemon's
// supervision loop does, until the window is closed.
#include <windows.h>

#include "../plain_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  HWND window = zarn::tools::CreatePlainWindow(instance, L"ZarnFloor",
                                               L"ZARN Boden", 421, 224);
  if (!window) return 1;
  ::ShowWindow(window, SW_SHOWNORMAL);
  for (;;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      // A closed window sends no quit message: see CreatePlainWindow.
      if (message.message == WM_QUIT) return 0;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (!::IsWindow(window)) return 0;
    ::Sleep(1000);
  }
}
