// The status window as it was drawn: its client size and every control's
// place and design-time text, in twips. The window lays itself out from
// this, and the label font is fitted to the labels' sizes.
#ifndef ZARN_PLATFORM_WIN32_WIN32_STATUS_LAYOUT_H_
#define ZARN_PLATFORM_WIN32_WIN32_STATUS_LAYOUT_H_

#include <array>

#include "platform/win32/win32_status_view.h"

namespace zarn {

inline constexpr int kStatusClientWidthTwips = 6315;
inline constexpr int kStatusClientHeightTwips = 3360;

struct StatusControlLayout {
  int id;
  bool button;
  bool bold;
  int left, top, width, height;  // twips
  const wchar_t* text;           // at design time
  // Hidden until its caption is set: the row of the restart limit.
  bool restarts_row = false;
};

// The headline's height while the row of the restart limit, which lies in
// its lower part, is shown: still room for its one line at 12 points.
inline constexpr int kLabel1HeightAboveRestartsTwips = 375;

// In tab order: they are made in this order, so the z-order follows it.
inline constexpr std::array<StatusControlLayout, 11> kStatusControls = {{
    {kLabel1Id, false, true, 120, 105, 5895, 615,
     L"Die Analyse des ZARNs wird überwacht."},
    {kCmdAbbruchId, true, true, 210, 1920, 5880, 615, L"Überwachung abbrechen"},
    {kLabel2Id, false, false, 360, 1185, 1815, 255, L"Status:"},
    {kStatusId, false, false, 2520, 1185, 3495, 255, L""},
    {kStatus2Id, false, false, 2520, 1545, 3495, 255, L""},
    {kLabel4Id, false, false, 360, 1545, 1935, 255,
     L"Letzte Rückmeldung ZARN:"},
    {kNeuStartenId, true, true, 210, 2625, 5865, 615, L"Jetzt neu starten"},
    {kCancelTimeId, false, false, 3210, 840, 2760, 255, L""},
    {kLabel5Id, false, false, 315, 840, 2760, 255,
     L"Neustart bei Inaktivität des ZARN nach:"},
    {kLabel6Id, false, false, 360, 480, 2160, 255, L"Automatische Neustarts:",
     true},
    {kNeustartsId, false, false, 3210, 480, 2805, 255, L"", true},
}};

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_STATUS_LAYOUT_H_
