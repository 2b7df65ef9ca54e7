#include "platform/win32/win32_dpi.h"

// shellscalingapi.h needs windows.h first.
#include <shellscalingapi.h>

#include "platform/win32/system_library.h"

namespace zarn::win32 {
namespace {

UINT ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

UINT DpiForWindow(HWND window) {
  // Not imported: Windows before 10 1607 lacks the per-monitor functions.
  // shcore.dll comes from the system folder only; one planted beside the
  // daemon would otherwise run in the user's session.
  static const auto get_dpi_for_window =
      FindSystemFunction<decltype(::GetDpiForWindow)>(L"user32.dll",
                                                      "GetDpiForWindow");
  if (get_dpi_for_window && window) {
    const UINT dpi = get_dpi_for_window(window);
    if (dpi > 0) return dpi;
  }
  static const auto get_dpi_for_monitor =
      FindSystemFunction<decltype(::GetDpiForMonitor)>(L"shcore.dll",
                                                       "GetDpiForMonitor");
  if (get_dpi_for_monitor) {
    HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    UINT x = 0, y = 0;
    if (SUCCEEDED(get_dpi_for_monitor(monitor, MDT_EFFECTIVE_DPI, &x, &y)) &&
        y > 0) {
      return y;
    }
  }
  return ScreenDpi();
}

int TwipsToPixels(int twips, UINT dpi) {
  return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD ex_style, UINT dpi) {
  static const auto adjust_for_dpi =
      FindSystemFunction<decltype(::AdjustWindowRectExForDpi)>(
          L"user32.dll", "AdjustWindowRectExForDpi");
  RECT rect = {0, 0, client.cx, client.cy};
  if (!adjust_for_dpi || !adjust_for_dpi(&rect, style, FALSE, ex_style, dpi)) {
    rect = {0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

bool GuiFontForDpi(UINT dpi, LOGFONTW& font) {
  HGDIOBJ stock = ::GetStockObject(DEFAULT_GUI_FONT);
  if (!stock || ::GetObjectW(stock, sizeof font, &font) != sizeof font) {
    return false;
  }
  // The stock font is made for the system DPI.
  font.lfHeight = ::MulDiv(font.lfHeight, static_cast<int>(dpi),
                           static_cast<int>(ScreenDpi()));
  return true;
}

bool FaceInstalled(const wchar_t* face) {
  HDC dc = ::GetDC(nullptr);
  if (!dc) return false;
  LOGFONTW wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  ::lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  ::EnumFontFamiliesExW(
      dc, &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM out) -> int {
        *reinterpret_cast<bool*>(out) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, dc);
  return found;
}

}  // namespace zarn::win32
