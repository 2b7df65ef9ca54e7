// Conversion between bytes in a Windows code page and UTF-16 text.
#ifndef ZARN_PLATFORM_CODE_PAGE_H_
#define ZARN_PLATFORM_CODE_PAGE_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zarn {

inline constexpr int32_t kCodePageAnsi = 0;
inline constexpr int32_t kCodePageUtf16Le = 1200;
inline constexpr int32_t kCodePageUtf16Be = 1201;
inline constexpr int32_t kCodePageUtf32Le = 12000;
inline constexpr int32_t kCodePageUtf32Be = 12001;
inline constexpr int32_t kCodePageUtf8 = 65001;
inline constexpr int32_t kCodePageDetect = -1;

class CodePageConverter {
 public:
  CodePageConverter() = default;
  CodePageConverter(const CodePageConverter&) = delete;
  CodePageConverter& operator=(const CodePageConverter&) = delete;
  virtual ~CodePageConverter() = default;

  // MultiByteToWideChar with flags 0: ill-formed bytes become U+FFFD. Gives
  // the empty text for no bytes or a code page the platform can't convert.
  virtual std::u16string Decode(std::span<const uint8_t> bytes,
                                int32_t code_page) = 0;
  // The text in the ANSI code page (WideCharToMultiByte, CP_ACP), with the
  // platform's replacement for characters the code page lacks.
  virtual std::string EncodeAnsi(std::u16string_view text) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_CODE_PAGE_H_
