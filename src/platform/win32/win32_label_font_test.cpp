#include "platform/win32/win32_label_font.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/win32/win32_dpi.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

using win32::Utf8;

// The faces the labels meet: under Wine, Wine's own Tahoma (fonts-wine),
// Liberation Sans and DejaVu Sans, the fallbacks of a prefix without
// Wine's fonts (fonts-liberation; fonts-dejavu-core on a bare Debian); on
// Windows its own GUI fonts. The test run says which font set the prefix
// holds: Wine's (the default) or none of them (ZARN_WINE_FONTS=none).
struct Face {
  const wchar_t* name;  // empty: the default GUI font
  const char* package;  // Debian's, for the fonts a Wine run needs
  bool wine_fonts;      // one of Wine's own fonts
};
const Face kFaces[] = {
    {L"", nullptr, false},
    {L"Tahoma", "fonts-wine", true},
    {L"DejaVu Sans", "fonts-dejavu-core", false},
    {L"Liberation Sans", "fonts-liberation", false},
    {L"Microsoft Sans Serif", nullptr, false},
    {L"Segoe UI", nullptr, false},
};

// A caption label with the widest text it shows; sizes in twips.
struct Caption {
  const wchar_t* text;
  int width, height;
};
const Caption kCaptions[] = {
    {L"Neustart bei Inaktivität des ZARN nach:", 2760, 255},
    {L"Status:", 1815, 255},
    {L"Letzte Rückmeldung ZARN:", 1935, 255},
    {L"00:05:00", 2760, 255},
    {L"Starte neu in 00:04:30", 3495, 255},
    {L"ZARN inaktiv, beende in 00:04:50", 3495, 255},
    {L"00:00:30", 3495, 255},
    // The row of the restart limit; never wider than the rows above need.
    {L"Automatische Neustarts:", 2160, 255},
    {L"999 von 999 innerhalb 23:59:59", 3495, 255},
};

bool UnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"),
                          "wine_get_version") != nullptr;
}

bool WithoutWineFonts() {
  wchar_t set[16] = {};
  ::GetEnvironmentVariableW(L"ZARN_WINE_FONTS", set, 16);
  return std::wstring(set) == L"none";
}

// The widest caption's overrun of its label in `font` at `dpi` (<= 0:
// every caption fits), whether every line fits the labels' height, and
// each caption's width against its label's, for the record.
struct Fit {
  int overrun;
  bool height_fits;
  std::string widths;
  std::string face;  // as drawn
};
Fit MeasureCaptions(const LOGFONTW& font, UINT dpi) {
  HDC dc = ::GetDC(nullptr);
  HFONT made = ::CreateFontIndirectW(&font);
  HGDIOBJ previous = ::SelectObject(dc, made);
  TEXTMETRICW metrics = {};
  ::GetTextMetricsW(dc, &metrics);
  Fit fit = {-1 << 20, true, {}, {}};
  wchar_t drawn[LF_FACESIZE] = {};
  ::GetTextFaceW(dc, LF_FACESIZE, drawn);
  fit.face = Utf8(drawn);
  for (const Caption& caption : kCaptions) {
    SIZE extent = {};
    ::GetTextExtentPoint32W(
        dc, caption.text, static_cast<int>(std::wcslen(caption.text)), &extent);
    char width[32];
    std::snprintf(width, sizeof width, " %ld/%d", extent.cx,
                  win32::TwipsToPixels(caption.width, dpi));
    fit.widths += width;
    fit.overrun = std::max<int>(
        fit.overrun, extent.cx - win32::TwipsToPixels(caption.width, dpi));
    if (metrics.tmHeight > win32::TwipsToPixels(caption.height, dpi)) {
      fit.height_fits = false;
    }
  }
  ::SelectObject(dc, previous);
  ::DeleteObject(made);
  ::ReleaseDC(nullptr, dc);
  return fit;
}

TEST(Win32LabelFontTest, EveryCaptionFitsInEachFaceAtEachDpi) {
  std::printf(
      "%-26s %4s %4s %4s  caption width / label width, px: Label5 Label2 "
      "Label4 CancelTime Status (2) Status2 Label6 Neustarts\n",
      "face drawn", "dpi", "gui", "font");
  for (const Face& face : kFaces) {
    SCOPED_TRACE(Utf8(face.name));
    if (*face.name && !win32::FaceInstalled(face.name)) {
      if (!UnderWine() || !face.package) continue;
      // Under Wine the face decides what is tested: never another one.
      if (face.wine_fonts && WithoutWineFonts()) continue;
      ADD_FAILURE() << Utf8(face.name) << " is missing: install Debian's "
                    << face.package << " (scripts/setup does)";
      continue;
    }
    if (face.wine_fonts && UnderWine() && WithoutWineFonts()) {
      ADD_FAILURE() << "Wine's " << Utf8(face.name)
                    << " is in a prefix that must be without Wine's fonts";
    }
    for (const UINT dpi : {96u, 120u, 144u, 192u}) {
      SCOPED_TRACE(testing::Message() << dpi << " DPI");
      LOGFONTW gui = {};
      ASSERT_TRUE(win32::GuiFontForDpi(dpi, gui));
      const LOGFONTW font = FitLabelFont(face.name, dpi);
      if (*face.name) {
        EXPECT_EQ(std::wstring(font.lfFaceName), face.name);
      }
      const Fit fit = MeasureCaptions(font, dpi);
      EXPECT_LE(fit.overrun, 0);
      EXPECT_TRUE(fit.height_fits);
      EXPECT_LE(std::abs(font.lfHeight), std::abs(gui.lfHeight));
      // Made smaller only as far as needed: a pixel more would not fit.
      if (std::abs(font.lfHeight) < std::abs(gui.lfHeight)) {
        LOGFONTW larger = font;
        larger.lfHeight = font.lfHeight - 1;
        const Fit too_large = MeasureCaptions(larger, dpi);
        EXPECT_FALSE(too_large.overrun <= 0 && too_large.height_fits);
      }
      std::string drawn = fit.face;
      if (!*face.name) drawn.insert(0, "GUI font: ");
      std::printf("%-26s %4u %4ld %4ld %s\n", drawn.c_str(), dpi,
                  std::abs(gui.lfHeight), std::abs(font.lfHeight),
                  fit.widths.c_str());
    }
  }
}

}  // namespace
}  // namespace zarn
