// Reopens the checker's workbook: the shell's associated program, accepted
// only when it is Excel, started with /r on the workbook, visible or hidden
// as PellamShowStatusform says. Never waits for Excel.
#ifndef ZARN_WATCHDOG_CHECKER_LAUNCH_H_
#define ZARN_WATCHDOG_CHECKER_LAUNCH_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "common/date_time.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "watchdog/daemon_log.h"

namespace zarn {

// ERROR_INVALID_NAME: what a workbook path with a quotation mark is logged
// with; no Windows path can hold one.
inline constexpr uint32_t kErrorInvalidName = 123;

// `"<program>" /r "<workbook>"`, nothing escaped.
std::u16string BuildExcelCommandLine(std::u16string_view program,
                                     std::u16string_view workbook_path);

class CheckerLaunch {
 public:
  CheckerLaunch(SettingsStore& settings, Shell& shell, DaemonLog& log)
      : settings_(settings), shell_(shell), log_(log) {}
  CheckerLaunch(const CheckerLaunch&) = delete;
  CheckerLaunch& operator=(const CheckerLaunch&) = delete;

  // The program the shell opens the document with, blanks at both ends
  // removed; empty when there is none.
  std::u16string FindAssociatedProgram(std::u16string_view path);
  // Starts Excel on the workbook when the association ends in EXCEL.EXE
  // (any letter case); otherwise starts nothing and says nothing. A start
  // that fails, and a path with a quotation mark, which would smuggle
  // further arguments onto Excel's command line, are logged as "ZARND:
  // Start ZARN fehlgeschlagen '<path>'" with the Win32 error code, stamped
  // `now`, the local time of the restart. Returns that error code; 0 when
  // Excel was started, or when nothing was to be started.
  uint32_t StartCheckerWorkbook(std::u16string_view workbook_path,
                                DateTime now);

 private:
  void LogFailure(std::u16string_view workbook_path, uint32_t error,
                  DateTime now);

  SettingsStore& settings_;
  Shell& shell_;
  DaemonLog& log_;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_CHECKER_LAUNCH_H_
