// DPI of a window and the metrics that follow from it, through the
// per-monitor functions where the system has them (Windows 10 1607 and
// later, Wine), and the screen's LOGPIXELSY everywhere else.
#ifndef ZARN_PLATFORM_WIN32_WIN32_DPI_H_
#define ZARN_PLATFORM_WIN32_WIN32_DPI_H_

#include <windows.h>

namespace zarn::win32 {

// The DPI the window is laid out for: GetDpiForWindow, else
// GetDpiForMonitor of its monitor, else the screen DC's LOGPIXELSY.
UINT DpiForWindow(HWND window);

// Twips (1440 per inch) as pixels at `dpi`, rounded: 15 twips a pixel
// at 96 DPI.
int TwipsToPixels(int twips, UINT dpi);

// The outer size of a window with this client size, style and DPI.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD ex_style, UINT dpi);

// The default GUI font (DEFAULT_GUI_FONT, "MS Shell Dlg" 8 points on
// Windows) scaled from the system DPI to `dpi`; false when there is none.
bool GuiFontForDpi(UINT dpi, LOGFONTW& font);

// Whether the system has fonts of this face name, not merely a stand-in
// that it would draw for it.
bool FaceInstalled(const wchar_t* face);

}  // namespace zarn::win32

#endif  // ZARN_PLATFORM_WIN32_WIN32_DPI_H_
