// A process that does nothing until it is ended, for the tests of process
// control:
//   proc_helper.exe [--window TITLE] [--seconds N]
// --window holds a hidden top-level window of class "XLMain" titled TITLE,
// as Excel's main window is. It never outlives N seconds (default 120), so
// that a test run that dies leaves nothing behind for long.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

constexpr UINT_PTR kSafetyTimer = 1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_TIMER && w == kSafetyTimer) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, w, l);
}

int HoldWindow(HINSTANCE instance, const std::wstring& title, DWORD ms) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"XLMain";
  if (!::RegisterClassW(&window_class)) return 2;
  HWND window = ::CreateWindowExW(
      0, L"XLMain", title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
      CW_USEDEFAULT, 300, 200, nullptr, nullptr, instance, nullptr);
  if (!window) return 3;
  ::SetTimer(window, kSafetyTimer, ms, nullptr);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::wstring title;
  bool window = false;
  DWORD seconds = 120;
  for (int i = 1; argv && i + 1 < argc; i += 2) {
    if (std::wcscmp(argv[i], L"--window") == 0) {
      window = true;
      title = argv[i + 1];
    } else if (std::wcscmp(argv[i], L"--seconds") == 0) {
      seconds = static_cast<DWORD>(std::wcstoul(argv[i + 1], nullptr, 10));
    }
  }
  if (argv) ::LocalFree(argv);
  if (window) return HoldWindow(instance, title, seconds * 1000);
  ::Sleep(seconds * 1000);
  return 0;
}
