// The daemon log: one line per event, appended to the file that the
// settings key DaemonLog names, in the ANSI code page with CR LF. Logging
// is optional and never disturbs the daemon's work.
#ifndef ZARN_WATCHDOG_DAEMON_LOG_H_
#define ZARN_WATCHDOG_DAEMON_LOG_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "common/date_time.h"
#include "paths/helpers.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_appender.h"
#include "platform/regional.h"

namespace zarn {

// The line without its line end: timestamp, number, type 7, identifier and
// the quoted message, which is not escaped. Every control character (U+0000
// to U+001F and U+007F) and every other line end of Unicode (U+0085, U+2028,
// U+2029) becomes a blank, so that nothing logged, such as a workbook path
// with CR LF in it, can start a line of its own.
std::u16string FormatDaemonLogLine(Regional& regional, DateTime when,
                                   std::u16string_view message, double number,
                                   int32_t id);

class DaemonLog {
 public:
  // How often an open is tried, and the pause after each failed try.
  static constexpr int kOpenAttempts = 10;
  static constexpr uint32_t kRetryPauseMs = 100;

  DaemonLog(Helpers& helpers, FileAppender& appender, Clock& clock,
            Regional& regional, CodePageConverter& code_pages)
      : helpers_(helpers),
        appender_(appender),
        clock_(clock),
        regional_(regional),
        code_pages_(code_pages) {}
  DaemonLog(const DaemonLog&) = delete;
  DaemonLog& operator=(const DaemonLog&) = delete;

  // The log file, read from DaemonLog once at start-up; empty switches
  // logging off.
  void set_path(std::u16string path) { path_ = std::move(path); }
  const std::u16string& path() const { return path_; }

  // Appends one line when a log path is set. A line that can't be written
  // is dropped without a word.
  void WriteDaemonLog(DateTime when, std::u16string_view message, double number,
                      int32_t id);
  // Appends `line` and CR LF to `path`. The file's folder must exist; it is
  // never created. An open that fails is tried again after 100 ms, ten
  // attempts in all (about one second); a failed write is not retried.
  // True when the line was written.
  bool AppendLineToFile(std::u16string_view line, std::u16string_view path);

 private:
  Helpers& helpers_;
  FileAppender& appender_;
  Clock& clock_;
  Regional& regional_;
  CodePageConverter& code_pages_;
  std::u16string path_;
};

}  // namespace zarn

#endif  // ZARN_WATCHDOG_DAEMON_LOG_H_
