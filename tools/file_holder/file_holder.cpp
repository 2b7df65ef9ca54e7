// Opens a file with share mode 0, creating it when missing, keeps it open
// for the given milliseconds and exits. Exit code 0 when the file was
// held, 1 on bad arguments, 2 when it could not be opened.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 1;
  const unsigned long ms = std::wcstoul(argv[2], nullptr, 10);
  HANDLE file = ::CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  ::Sleep(ms);
  ::CloseHandle(file);
  return 0;
}
