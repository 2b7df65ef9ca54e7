#include "programs.h"

#include "testing/win32/win32_test_support.h"

namespace zarn::bench {

double Now() {
  LARGE_INTEGER count, frequency;
  ::QueryPerformanceCounter(&count);
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(count.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

Child Start(const std::wstring& folder, const wchar_t* exe) {
  std::wstring path = folder + L"\\" + exe;
  std::wstring command = L"\"" + path + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  Child child;
  if (::CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, folder.c_str(), &startup, &info)) {
    ::CloseHandle(info.hThread);
    child.process = info.hProcess;
    child.id = info.dwProcessId;
  }
  return child;
}

HWND MainWindow(const Program& program, DWORD id) {
  return win32::FindWindowOf(id, program.window_class, program.title,
                             /*visible_only=*/true);
}

void Close(const Program& program, Child& child) {
  if (!child.process) return;
  if (HWND window = MainWindow(program, child.id)) {
    if (program.daemon) {
      ::PostMessageW(::GetDlgItem(window, kCmdAbbruchId), BM_CLICK, 0, 0);
    } else {
      ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
  }
  if (::WaitForSingleObject(child.process, 5000) != WAIT_OBJECT_0) {
    ::TerminateProcess(child.process, 1);
    ::WaitForSingleObject(child.process, 5000);
  }
  ::CloseHandle(child.process);
  child = {};
}

}  // namespace zarn::bench
