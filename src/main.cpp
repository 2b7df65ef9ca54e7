// ZARNDaemon.exe: builds the Win32 platform and hands over to Main.
#include <windows.h>
// windows.h renames MessageBox to MessageBoxW; our seam keeps its name.
#undef MessageBox

#include "platform/win32/win32_platform.h"
#include "watchdog/main_mod.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  auto win32 = zarn::NewWin32Platform();
  return zarn::Main(win32->platform());
}
