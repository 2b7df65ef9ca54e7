// Module UnicodeFile: reads a whole text file into UTF-16, choosing the
// encoding by byte-order mark, a UTF-8 test, or the ANSI code page.
#ifndef ZARN_CONFIG_UNICODE_FILE_H_
#define ZARN_CONFIG_UNICODE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "paths/helpers.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace zarn {

class UnicodeFile {
 public:
  UnicodeFile(Helpers& helpers, FileSystem& fs, CodePageConverter& code_pages)
      : helpers_(helpers), fs_(fs), code_pages_(code_pages) {}

  // The file's text. `requested` is -1 to detect. When the file does not
  // exist the text is empty and neither output is written. `ok` (when
  // given) is false when the file exists but can't be read.
  std::u16string ReadTextFile(std::u16string_view path, int32_t requested,
                              int32_t& code_page, bool& has_mark,
                              bool* ok = nullptr);
  // Detects the encoding of a file's bytes for `requested` and gives the
  // offset of the first byte after the byte-order mark (0 without one).
  static size_t OpenAndDetectEncoding(std::span<const uint8_t> bytes,
                                      int32_t requested, int32_t& code_page,
                                      bool& has_mark);
  // The UTF-8 test on the first 2048 bytes.
  static bool LooksLikeUtf8(std::span<const uint8_t> bytes);
  // Bytes in a code page to text; converts 1200, 1201, 12000 and 12001
  // itself and hands every other code page to the platform.
  std::u16string DecodeBytes(std::span<const uint8_t> bytes, int32_t code_page);

 private:
  Helpers& helpers_;
  FileSystem& fs_;
  CodePageConverter& code_pages_;
};

// "ANSI", "UTF16 LE", ..., "Codepage " + number for any other.
std::u16string EncodingName(int32_t code_page);

}  // namespace zarn

#endif  // ZARN_CONFIG_UNICODE_FILE_H_
