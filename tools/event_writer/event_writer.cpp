// Writes events of the source ZARNDaemon through the daemon's backend:
//
//   event_writer.exe LEVELS ID STRING...
//
// One event for each letter of LEVELS, in turn: i, w or e (information,
// warning, error), each with the event ID ID and the STRINGs as its
// insertion strings. Exit code 0 when the log took every event, 1 when it
// refused one, 2 on bad arguments.
#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>

#include "platform/win32/wide.h"
#include "platform/win32/win32_event_log.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  zarn::Event event;
  event.id = static_cast<uint16_t>(std::wcstoul(argv[2], nullptr, 10));
  for (int i = 3; i < argc; ++i) {
    event.strings.push_back(zarn::win32::FromWide(argv[i]));
  }
  const std::unique_ptr<zarn::EventLog> log = zarn::NewWin32EventLog();
  for (const wchar_t* level = argv[1]; *level; ++level) {
    const wchar_t* const letter = std::wcschr(L"iwe", *level);
    if (!letter) return 2;
    // EventLevel's order: information, warning, error.
    event.level = static_cast<zarn::EventLevel>(letter - L"iwe");
    if (!log->Report(event)) return 1;
  }
  return 0;
}
