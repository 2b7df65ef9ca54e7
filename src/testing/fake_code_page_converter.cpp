#include "testing/fake_code_page_converter.h"

#include <array>
#include <string>

#include "common/text.h"

namespace zarn {
namespace {

// 0x80 to 0x9F of Windows-1252. The five bytes the code page leaves out map
// to the C1 controls of the same number, as Windows' table does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t FromWindows1252(uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

}  // namespace

std::u16string FakeCodePageConverter::Decode(std::span<const uint8_t> bytes,
                                             int32_t code_page) {
  ++decode_count_;
  if (bytes.empty() || refused_.count(code_page)) return {};
  if (code_page == kCodePageAnsi) code_page = ansi_code_page_;
  if (code_page == 1252) {
    std::u16string text;
    text.reserve(bytes.size());
    for (uint8_t b : bytes) text.push_back(FromWindows1252(b));
    return text;
  }
  if (code_page == 65001) {
    return Utf8ToUtf16(std::string_view(
        reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  return {};
}

std::string FakeCodePageConverter::EncodeAnsi(std::u16string_view text) {
  if (ansi_code_page_ == kCodePageUtf8) return Utf16ToUtf8(text);
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    char byte = '?';
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      byte = static_cast<char>(c);
    } else {
      for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) byte = static_cast<char>(0x80 + i);
      }
    }
    out.push_back(byte);
  }
  return out;
}

}  // namespace zarn
