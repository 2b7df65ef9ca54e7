#include "platform/win32/win32_dpi.h"

namespace zarn::win32 {
namespace {

// GetProcAddress gives a FARPROC; going through void(*)() tells the
// compiler the cast of function types is meant.
template <typename Function>
Function Lookup(const wchar_t* module, const char* name) {
  HMODULE handle = ::GetModuleHandleW(module);
  if (!handle) handle = ::LoadLibraryW(module);
  if (!handle) return nullptr;
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(::GetProcAddress(handle, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD,
                                                 UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT,
                                                   UINT);

UINT ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

UINT DpiForWindow(HWND window) {
  static const auto get_dpi_for_window =
      Lookup<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  if (get_dpi_for_window && window) {
    const UINT dpi = get_dpi_for_window(window);
    if (dpi > 0) return dpi;
  }
  static const auto get_dpi_for_monitor =
      Lookup<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  if (get_dpi_for_monitor) {
    HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    UINT x = 0, y = 0;
    // 0 is MDT_EFFECTIVE_DPI.
    if (SUCCEEDED(get_dpi_for_monitor(monitor, 0, &x, &y)) && y > 0) return y;
  }
  return ScreenDpi();
}

int TwipsToPixels(int twips, UINT dpi) {
  return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD ex_style, UINT dpi) {
  static const auto adjust_for_dpi = Lookup<AdjustWindowRectExForDpiFn>(
      L"user32.dll", "AdjustWindowRectExForDpi");
  RECT rect = {0, 0, client.cx, client.cy};
  if (!adjust_for_dpi || !adjust_for_dpi(&rect, style, FALSE, ex_style, dpi)) {
    rect = {0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

bool MessageFontForDpi(UINT dpi, LOGFONTW& font) {
  static const auto parameters_for_dpi = Lookup<SystemParametersInfoForDpiFn>(
      L"user32.dll", "SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (parameters_for_dpi &&
      parameters_for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                         dpi)) {
    font = metrics.lfMessageFont;
    return true;
  }
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics,
                               &metrics, 0)) {
    return false;
  }
  // Without the DPI variant the metrics are those of the system DPI.
  font = metrics.lfMessageFont;
  font.lfHeight = ::MulDiv(font.lfHeight, static_cast<int>(dpi),
                           static_cast<int>(ScreenDpi()));
  return true;
}

}  // namespace zarn::win32
