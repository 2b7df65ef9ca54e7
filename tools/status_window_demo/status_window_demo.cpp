// Shows the status window as it looks half a minute after the checker's
// last report, keeps it responsive for the given seconds (default 10) or
// until a button is pressed, then unloads it. With "restarts" after the
// seconds it shows the row of a restart limit too. Exit code 0 after the time,
// 1 after cmdAbbruch or closing, 2 after NeuStarten, 3 without a window.
#include <windows.h>

#include <cwchar>

#include "platform/win32/win32_status_view.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  const unsigned long seconds =
      arguments && *arguments ? std::wcstoul(arguments, nullptr, 10) : 10;
  std::unique_ptr<zarn::StatusView> view = zarn::NewWin32StatusView();
  view->SetCaption(zarn::StatusLabel::kCancelTime, u"00:05:00");
  view->SetCaption(zarn::StatusLabel::kStatus, u"Starte neu in 00:04:30");
  view->SetCaption(zarn::StatusLabel::kStatus2, u"00:00:30");
  if (arguments && std::wcsstr(arguments, L"restarts")) {
    view->SetCaption(zarn::StatusLabel::kRestarts,
                     u"1 von 3 innerhalb 01:00:00");
  }
  if (!view->Show()) return 3;

  int result = 0;
  const ULONGLONG deadline = ::GetTickCount64() + seconds * 1000ull;
  while (::GetTickCount64() < deadline) {
    zarn::ButtonFlags flags;
    view->ProcessPendingEvents(flags);
    if (flags.cancel_requested || flags.restart_requested) {
      result = flags.cancel_requested ? 1 : 2;
      break;
    }
    ::Sleep(50);
  }
  view->Unload();
  return result;
}
