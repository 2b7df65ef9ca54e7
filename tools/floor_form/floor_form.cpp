// The same-form floor of the benchmarks: ZARNDaemonForm as the daemon
// shows it (the same nine controls and fonts, made by the daemon's own
// status window code, under common controls 6 through the daemon's
// manifest), and a one-second loop that does what every cycle of the
// daemon must do for the form and nothing else: one label gets a new text,
// one fixed date text goes through VarDateFromStr, the pending events are
// processed, then Sleep(1000). No settings store, no configuration, no
// supervision. Ends when the window is closed (WM_CLOSE) or a button is
// pressed.
#include <windows.h>
// oleauto.h needs windows.h first.
#include <oleauto.h>

#include <cstdio>

#include "platform/win32/win32_status_view.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::unique_ptr<zarn::StatusView> view = zarn::NewWin32StatusView();
  // The captions the daemon shows while it supervises a fresh report.
  view->SetCaption(zarn::StatusLabel::kCancelTime, u"00:30:00");
  view->SetCaption(zarn::StatusLabel::kStatus, u"Überwache...");
  if (!view->Show()) return 3;

  // A report in the short-date form of German regional settings.
  wchar_t report[] = L"6.12.2026 03:41:47";
  zarn::ButtonFlags flags;
  for (unsigned seconds = 0;
       !flags.cancel_requested && !flags.restart_requested; ++seconds) {
    DATE date = 0;
    ::VarDateFromStr(report, LOCALE_USER_DEFAULT, 0, &date);
    // Like the age of the last report: hh:mm:ss, new every second.
    wchar_t age[16];
    std::swprintf(age, 16, L"%02u:%02u:%02u", seconds / 3600 % 24,
                  seconds / 60 % 60, seconds % 60);
    view->SetCaption(zarn::StatusLabel::kStatus2,
                     reinterpret_cast<const char16_t*>(age));
    view->ProcessPendingEvents(flags);
    ::Sleep(1000);
  }
  view->Unload();
  return 0;
}
