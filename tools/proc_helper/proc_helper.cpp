// A process that does nothing until it is ended, for the tests of process
// control:
//   proc_helper.exe [--window TITLE] [--seconds N]
// --window holds a hidden top-level window of class "XLMain" titled TITLE,
// as Excel's main window is. It never outlives N seconds (default 120), so
// that a test run that dies leaves nothing behind for long.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

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

// The command line split at blanks outside double quotes, so that the
// helper needs nothing beyond kernel32 and user32.
std::vector<std::wstring> SplitCommandLine(const wchar_t* line) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool quoted = false;
  bool in_word = false;
  for (const wchar_t* p = line; *p; ++p) {
    if (*p == L'"') {
      quoted = !quoted;
      in_word = true;
    } else if (*p == L' ' && !quoted) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += *p;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const std::vector<std::wstring> args = SplitCommandLine(::GetCommandLineW());
  std::wstring title;
  bool window = false;
  DWORD seconds = 120;
  for (size_t i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == L"--window") {
      window = true;
      title = args[i + 1];
    } else if (args[i] == L"--seconds") {
      seconds =
          static_cast<DWORD>(std::wcstoul(args[i + 1].c_str(), nullptr, 10));
    }
  }
  if (window) return HoldWindow(instance, title, seconds * 1000);
  ::Sleep(seconds * 1000);
  return 0;
}
