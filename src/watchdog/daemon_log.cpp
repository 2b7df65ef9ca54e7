#include "watchdog/daemon_log.h"

#include "common/text.h"

namespace zarn {
namespace {

// The C0 controls and DEL, and the three line ends of Unicode beyond them:
// NEL (U+0085), LINE SEPARATOR (U+2028) and PARAGRAPH SEPARATOR (U+2029).
// Where the ANSI code page is UTF-8 (the "Beta: Use Unicode UTF-8" option)
// these three reach the file, and Unicode-aware readers break lines there.
bool EndsOrControlsALine(char16_t c) {
  return c < u' ' || c == u'\x7F' || c == u'\x85' || c == u'\u2028' ||
         c == u'\u2029';
}

}  // namespace

std::u16string FormatDaemonLogLine(Regional& regional, DateTime when,
                                   std::u16string_view message, double number,
                                   int32_t id) {
  std::u16string line = regional.FormatDateTime(when);
  line += u",";
  line += regional.FormatNumber(number);
  line += u", Typ: 7, ID: ";
  line += ToDecimal(id);
  line += u", \"Err: ";
  line += message;
  line += u"\"";
  for (char16_t& c : line) {
    if (EndsOrControlsALine(c)) c = u' ';
  }
  return line;
}

void DaemonLog::WriteDaemonLog(DateTime when, std::u16string_view message,
                               double number, int32_t id) {
  if (path_.empty()) return;
  AppendLineToFile(FormatDaemonLogLine(regional_, when, message, number, id),
                   path_);
}

bool DaemonLog::AppendLineToFile(std::u16string_view line,
                                 std::u16string_view path) {
  if (!helpers_.FolderExists(GetParentFolder(path))) return false;
  std::u16string text(line);
  text += u"\r\n";
  const std::string bytes = code_pages_.EncodeAnsi(text);
  const std::u16string system_path = helpers_.SystemPath(path);
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    switch (appender_.Append(system_path, bytes)) {
      case AppendResult::kWritten:
        return true;
      case AppendResult::kWriteFailed:
        return false;
      case AppendResult::kOpenFailed:
        clock_.Sleep(kRetryPauseMs);
        break;
    }
  }
  return false;
}

}  // namespace zarn
