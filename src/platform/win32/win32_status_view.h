// ZARNDaemonForm: the status window as a Win32 top-level window with
// labels and buttons, laid out in twips for the monitor's DPI.
#ifndef ZARN_PLATFORM_WIN32_WIN32_STATUS_VIEW_H_
#define ZARN_PLATFORM_WIN32_WIN32_STATUS_VIEW_H_

#include <windows.h>

#include <memory>

#include "platform/status_view.h"

namespace zarn {

// The window class, for FindWindow by other programs and the tests.
inline constexpr wchar_t kStatusWindowClass[] = L"ZARNDaemonForm";
inline constexpr wchar_t kStatusWindowCaption[] = L"ZARN Überwachung...";

// Control IDs, for GetDlgItem.
enum StatusControlId : int {
  kLabel1Id = 101,
  kLabel5Id = 102,
  kCancelTimeId = 103,
  kLabel2Id = 104,
  kStatusId = 105,
  kLabel4Id = 106,
  kStatus2Id = 107,
  kCmdAbbruchId = 108,
  kNeuStartenId = 109,
  // The row of the restart limit, shown only where that limit is on.
  kLabel6Id = 110,
  kNeustartsId = 111,
};

// The window belongs to the calling thread, which must be the thread that
// calls every method afterwards. It is made at the first SetCaption or
// Show, in this module (GetModuleHandleW(nullptr)).
std::unique_ptr<StatusView> NewWin32StatusView();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_STATUS_VIEW_H_
