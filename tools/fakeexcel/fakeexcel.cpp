// Records its start into "<own path>.record", in UTF-8, one item a line:
//   command line as received (GetCommandLineW)
//   usesShowWindow=0|1 (STARTF_USESHOWWINDOW in the startup information)
//   showWindow=<wShowWindow>
//   visible=0|1 (its main window after ShowWindow with WinMain's nCmdShow,
//   as Excel shows its own)
// The record is written under another name and renamed, so that a reader
// never sees half of it. Then it exits.
#include <windows.h>

#include <string>

#include "../plain_window.h"
#include "testing/win32/win32_test_support.h"

namespace {

using zarn::win32::Utf8;

bool ShownAsAsked(HINSTANCE instance, int show_command) {
  HWND window = zarn::tools::CreatePlainWindow(instance, L"ZarnFakeExcel",
                                               L"fakeexcel", 200, 100);
  if (!window) return false;
  ::ShowWindow(window, show_command);
  const bool visible = ::IsWindowVisible(window) != FALSE;
  ::DestroyWindow(window);
  return visible;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  wchar_t own_path[MAX_PATH * 4] = {};
  ::GetModuleFileNameW(nullptr, own_path, MAX_PATH * 4);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  ::GetStartupInfoW(&startup);

  std::string record = Utf8(::GetCommandLineW()) + "\r\n";
  record += "usesShowWindow=";
  record += (startup.dwFlags & STARTF_USESHOWWINDOW) ? "1\r\n" : "0\r\n";
  record += "showWindow=" + std::to_string(startup.wShowWindow) + "\r\n";
  record += "visible=";
  record += ShownAsAsked(instance, show_command) ? "1\r\n" : "0\r\n";

  const std::wstring final_path = std::wstring(own_path) + L".record";
  const std::wstring temp_path = final_path + L".tmp";
  HANDLE file = ::CreateFileW(temp_path.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written,
              nullptr);
  ::CloseHandle(file);
  return ::MoveFileExW(temp_path.c_str(), final_path.c_str(),
                       MOVEFILE_REPLACE_EXISTING)
             ? 0
             : 3;
}
