// Conversions at the Win32 boundary: our UTF-16 text as wchar_t, and the
// ANSI code page for the few A functions the daemon is defined on.
#ifndef ZARN_PLATFORM_WIN32_WIDE_H_
#define ZARN_PLATFORM_WIN32_WIDE_H_

#include <windows.h>

#include <string>
#include <string_view>

namespace zarn::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t),
              "Windows' wchar_t is a UTF-16 code unit");

inline std::wstring ToWide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()),
                      text.size());
}

inline std::u16string FromWide(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()),
                        text.size());
}

// Text in the ANSI code page (CP_ACP), for the A functions.
std::string ToAnsi(std::u16string_view text);
std::u16string FromAnsi(std::string_view text);

}  // namespace zarn::win32

#endif  // ZARN_PLATFORM_WIN32_WIDE_H_
