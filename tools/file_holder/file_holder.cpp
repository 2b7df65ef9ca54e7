// file_holder PATH MILLISECONDS [EVENTS]: opens PATH with share mode 0,
// creating it when missing, holds it for the given milliseconds and exits.
// With EVENTS, the name of two events the caller made, it sets
// EVENTS.taken once it holds the file and lets go as soon as
// EVENTS.release is set. Another process that has the file open for a
// moment (a probe, a scanner) is waited for up to 10 seconds. Exit code 0
// when the file was held, 1 on bad arguments, 2 when it could not be
// opened.
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) return 1;
  const DWORD ms = std::wcstoul(argv[2], nullptr, 10);
  HANDLE taken = nullptr;
  HANDLE release = nullptr;
  if (argc == 4) {
    const std::wstring events = argv[3];
    taken =
        ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (events + L".taken").c_str());
    release = ::OpenEventW(SYNCHRONIZE, FALSE, (events + L".release").c_str());
    if (!taken || !release) return 1;
  }
  HANDLE file = INVALID_HANDLE_VALUE;
  const ULONGLONG deadline = ::GetTickCount64() + 10000;
  for (;;) {
    file = ::CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE ||
        ::GetLastError() != ERROR_SHARING_VIOLATION ||
        ::GetTickCount64() >= deadline) {
      break;
    }
    ::Sleep(10);
  }
  if (file == INVALID_HANDLE_VALUE) return 2;
  if (taken) ::SetEvent(taken);
  if (release) {
    ::WaitForSingleObject(release, ms);
  } else {
    ::Sleep(ms);
  }
  ::CloseHandle(file);
  return 0;
}
