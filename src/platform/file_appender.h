// Appending bytes to a file, one open, write and close per call: the
// daemon log never keeps its file open.
#ifndef ZARN_PLATFORM_FILE_APPENDER_H_
#define ZARN_PLATFORM_FILE_APPENDER_H_

#include <string>
#include <string_view>

namespace zarn {

enum class AppendResult {
  kWritten,
  // The file could not be opened (held without sharing, access refused):
  // worth another attempt.
  kOpenFailed,
  // Opened, but writing or closing failed: the line is lost.
  kWriteFailed,
};

class FileAppender {
 public:
  FileAppender() = default;
  FileAppender(const FileAppender&) = delete;
  FileAppender& operator=(const FileAppender&) = delete;
  virtual ~FileAppender() = default;

  // Opens `path` for appending, creating the file when missing, sharing
  // read and write access with others, writes `bytes` at its end and
  // closes it again. Never creates a folder.
  virtual AppendResult Append(std::u16string_view path,
                              std::string_view bytes) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_FILE_APPENDER_H_
