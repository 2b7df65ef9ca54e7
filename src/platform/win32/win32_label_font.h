// The font of the status window's caption and value labels, fitted so that
// every text they show stays on one line, whatever face the system offers.
#ifndef ZARN_PLATFORM_WIN32_WIN32_LABEL_FONT_H_
#define ZARN_PLATFORM_WIN32_WIN32_LABEL_FONT_H_

#include <windows.h>

#include <string_view>

namespace zarn {

// The font of the caption and value labels at `dpi`: `face` (empty: the
// default GUI font's) at the GUI font's size for `dpi`, made smaller only
// as far as every caption, and the widest texts the loop sets, need to fit
// their labels on one line and in their height. A caption is never wrapped
// or cut off.
LOGFONTW FitLabelFont(std::wstring_view face, UINT dpi);

// The window's label font at `dpi`: the GUI font's, fitted. Where that
// takes it below three quarters of the GUI font's size, the installed
// common sans face, or narrow face, that fits at the largest size (a GUI
// font that falls to a face made for other uses, DejaVu Math TeX Gyre, can
// fit only at four pixels).
LOGFONTW ChooseLabelFont(UINT dpi);

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_LABEL_FONT_H_
