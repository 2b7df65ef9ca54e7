// Text helpers shared by every subsystem. Text is UTF-16 throughout.
#ifndef ZARN_COMMON_TEXT_H_
#define ZARN_COMMON_TEXT_H_

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace zarn {

// Removes leading and trailing U+0020 only; tabs, CR and LF stay.
std::u16string TrimSpaces(std::u16string_view text);

// Letter case folding for the few comparisons that ignore case (process
// names, the HTTP prefix, mapped-drive roots): ASCII and Latin-1 letters.
char16_t ToLowerChar(char16_t c);
char16_t ToUpperChar(char16_t c);
std::u16string ToLower(std::u16string_view text);
std::u16string ToUpper(std::u16string_view text);
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);
bool EndsWithIgnoreCase(std::u16string_view text, std::u16string_view suffix);

bool StartsWith(std::u16string_view text, std::u16string_view prefix);
bool Contains(std::u16string_view text, std::u16string_view part);
// Removes every occurrence of `part`, scanning left to right once.
std::u16string RemoveAll(std::u16string_view text, std::u16string_view part);
// The pieces one after the other, joined in one go: messages of several
// parts read as one list, and GCC 12 warns falsely (-Wrestrict) on
// u"..." + std::u16string&&.
std::u16string Concat(std::initializer_list<std::u16string_view> parts);

// Decimal text of a signed number, with a minus sign when negative.
std::u16string ToDecimal(int64_t value);
// The same for a number from 0, with zeros in front up to `width` digits:
// the fields of time stamps in names and values.
std::u16string ToDecimalPadded(int64_t value, size_t width);

// '0' to '9' only: the digits of numbers in names and values, never the
// other scripts' digits.
bool IsAsciiDigit(char16_t c);
// Reads the ASCII digits at `pos`, at most `max_digits` of them, into
// `value` and moves `pos` behind them, for the parsers of date texts.
// False when fewer than `min_digits` stood there.
bool ReadDigits(std::u16string_view text, size_t& pos, size_t min_digits,
                size_t max_digits, int& value);
// The whole of `text` as a number from 0: ASCII digits only, at least one,
// as many leading zeros as it likes. nullopt for anything else, a sign or
// a blank included, and for a value above `largest`, however many digits
// it takes: reading stops before the number could overflow.
std::optional<uint64_t> ParseDecimal(std::u16string_view text,
                                     uint64_t largest);

// UTF-8 <-> UTF-16, for tests, file names on Linux and the log of tools.
// Ill-formed input becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace zarn

#endif  // ZARN_COMMON_TEXT_H_
