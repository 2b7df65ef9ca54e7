#include "platform/win32/win32_label_font.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cwchar>
#include <string_view>

#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_status_layout.h"

namespace zarn {
namespace {

// The widest texts that the loop sets into the value labels, under German
// and English regional settings; the caption labels keep their design-time
// texts.
struct ValueSample {
  int id;
  const wchar_t* text;
};
constexpr std::array<ValueSample, 10> kValueSamples = {{
    {kCancelTimeId, L"00:30:00"},
    {kStatusId, L"Initialisiere..."},
    {kStatusId, L"Überwache..."},
    {kStatusId, L"Starte neu in 00:04:30"},
    {kStatusId, L"ZARN inaktiv, beende in 00:04:50"},
    {kStatusId, L"Starte neu in 12:04:30 AM"},
    {kStatusId, L"ZARN inaktiv, beende in 12:04:50 AM"},
    {kStatus2Id, L"00:00:30"},
    {kStatus2Id, L"12:00:30 AM"},
    {kNeustartsId, L"999 von 999 innerhalb 23:59:59"},
}};

const StatusControlLayout& LayoutOf(int id) {
  for (const StatusControlLayout& control : kStatusControls) {
    if (control.id == id) return control;
  }
  return kStatusControls.front();
}

// Whether `text` fits the label `id` on one line, in the font selected
// into `dc`, at `dpi`.
bool FitsOnOneLine(HDC dc, int id, const wchar_t* text, UINT dpi) {
  const StatusControlLayout& label = LayoutOf(id);
  SIZE extent = {};
  ::GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)),
                          &extent);
  return extent.cx <= win32::TwipsToPixels(label.width, dpi);
}

// Whether every text of every caption and value label fits on one line,
// and within the label's height, in `font` at `dpi`.
bool CaptionsFit(HDC dc, const LOGFONTW& font, UINT dpi) {
  HFONT made = ::CreateFontIndirectW(&font);
  if (!made) return false;
  HGDIOBJ previous = ::SelectObject(dc, made);
  TEXTMETRICW metrics = {};
  bool fit = ::GetTextMetricsW(dc, &metrics) != 0;
  for (const StatusControlLayout& control : kStatusControls) {
    if (control.bold || control.button) continue;
    if (metrics.tmHeight > win32::TwipsToPixels(control.height, dpi)) {
      fit = false;
    }
    if (*control.text && !FitsOnOneLine(dc, control.id, control.text, dpi)) {
      fit = false;
    }
  }
  for (const ValueSample& sample : kValueSamples) {
    if (!FitsOnOneLine(dc, sample.id, sample.text, dpi)) fit = false;
  }
  ::SelectObject(dc, previous);
  ::DeleteObject(made);
  return fit;
}

// The largest character height from `most` down to `least` pixels at
// which every caption fits in `font`'s face; 0 when none does.
LONG LargestFittingHeight(HDC dc, LOGFONTW font, LONG most, LONG least,
                          UINT dpi) {
  for (LONG height = most; height >= least && height > 0; --height) {
    font.lfHeight = -height;
    if (CaptionsFit(dc, font, dpi)) return height;
  }
  return 0;
}

// Faces for labels whose GUI font fits only below three quarters of its
// size: Windows' own and Debian's common sans faces, narrow ones last.
constexpr std::array<const wchar_t*, 8> kOtherFaces = {
    L"Microsoft Sans Serif",
    L"Tahoma",
    L"Arial",
    L"Liberation Sans",
    L"DejaVu Sans",
    L"Arial Narrow",
    L"Liberation Sans Narrow",
    L"DejaVu Sans Condensed"};

}  // namespace

LOGFONTW FitLabelFont(std::wstring_view face, UINT dpi) {
  LOGFONTW font = {};
  if (!win32::GuiFontForDpi(dpi, font)) {
    font.lfHeight = -::MulDiv(8, static_cast<int>(dpi), 72);
    font.lfCharSet = DEFAULT_CHARSET;
    std::wcscpy(font.lfFaceName, L"MS Shell Dlg");
  }
  if (!face.empty()) {
    const size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
    face.copy(font.lfFaceName, n);
    font.lfFaceName[n] = L'\0';
  }
  HDC dc = ::GetDC(nullptr);
  if (!dc) return font;
  // The captions are fitted by character height; a GUI font given by its
  // cell height (positive) is turned into that.
  LONG full = -font.lfHeight;
  if (font.lfHeight > 0) {
    HFONT made = ::CreateFontIndirectW(&font);
    HGDIOBJ previous = ::SelectObject(dc, made);
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(dc, &metrics);
    full = metrics.tmHeight - metrics.tmInternalLeading;
    ::SelectObject(dc, previous);
    ::DeleteObject(made);
  }
  // Smaller only as far as needed: Wine's Tahoma and Liberation Sans by a
  // pixel or two, DejaVu Sans (a bare Debian) by about a quarter. A caption
  // that wrapped would lose its second line under the next row.
  const LONG height = LargestFittingHeight(dc, font, full, 1, dpi);
  font.lfHeight = -std::max<LONG>(height, 1);
  ::ReleaseDC(nullptr, dc);
  return font;
}

LOGFONTW ChooseLabelFont(UINT dpi) {
  LOGFONTW best = FitLabelFont(L"", dpi);
  LOGFONTW gui = {};
  if (!win32::GuiFontForDpi(dpi, gui) ||
      std::abs(best.lfHeight) * 4 >= std::abs(gui.lfHeight) * 3) {
    return best;
  }
  for (const wchar_t* face : kOtherFaces) {
    if (!win32::FaceInstalled(face)) continue;
    const LOGFONTW other = FitLabelFont(face, dpi);
    if (std::abs(other.lfHeight) > std::abs(best.lfHeight)) best = other;
  }
  return best;
}

}  // namespace zarn
