// The three programs bench_meter measures, ZARNDaemon.exe and its two
// floors: started from their folder, found by their window, closed again.
#ifndef ZARN_TOOLS_BENCH_METER_PROGRAMS_H_
#define ZARN_TOOLS_BENCH_METER_PROGRAMS_H_

#include <windows.h>

#include <iterator>
#include <string>

#include "platform/win32/win32_status_view.h"

namespace zarn::bench {

struct Program {
  const char* name;  // in the output
  const wchar_t* exe;
  const wchar_t* window_class;
  const wchar_t* title;
  bool daemon;
};

// The two floors are closed as floor.exe always was, by WM_CLOSE; the
// daemon by its "Überwachung abbrechen" button.
inline constexpr Program kPrograms[] = {
    {"daemon", L"ZARNDaemon.exe", kStatusWindowClass, kStatusWindowCaption,
     true},
    {"form", L"floor_form.exe", kStatusWindowClass, kStatusWindowCaption,
     false},
    {"floor", L"floor.exe", L"ZarnFloor", L"ZARN Boden", false},
};
inline constexpr int kProgramCount = static_cast<int>(std::size(kPrograms));

// Milliseconds on the performance counter.
double Now();

// A started program; no process when it could not be started.
struct Child {
  HANDLE process = nullptr;
  DWORD id = 0;
};

// Starts `exe` from `folder`, in that folder.
Child Start(const std::wstring& folder, const wchar_t* exe);

// The program's visible main window in process `id`; null while it has
// none.
HWND MainWindow(const Program& program, DWORD id);

// Closes the program as a user would, ends it when it has not gone after
// five seconds, and forgets it.
void Close(const Program& program, Child& child);

}  // namespace zarn::bench

#endif  // ZARN_TOOLS_BENCH_METER_PROGRAMS_H_
