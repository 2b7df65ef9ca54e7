#include "config/unicode_file.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "common/text.h"

namespace zarn {
namespace {

constexpr size_t kUtf8TestWindow = 2048;
constexpr char16_t kReplacement = 0xFFFD;

bool DetectsMark(int32_t requested) {
  switch (requested) {
    case kCodePageDetect:
    case kCodePageUtf16Le:
    case kCodePageUtf16Be:
    case kCodePageUtf32Le:
    case kCodePageUtf32Be:
    case kCodePageUtf8:
      return true;
    default:
      return false;
  }
}

std::u16string DecodeUtf16(std::span<const uint8_t> bytes, bool big_endian) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  // An odd last byte forms no character.
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const uint8_t lo = big_endian ? bytes[i + 1] : bytes[i];
    const uint8_t hi = big_endian ? bytes[i] : bytes[i + 1];
    text.push_back(static_cast<char16_t>(lo | (hi << 8)));
  }
  return text;
}

std::u16string DecodeUtf32(std::span<const uint8_t> bytes, bool big_endian) {
  std::u16string text;
  text.reserve(bytes.size() / 4);
  // Bytes that don't fill a last code unit form no character.
  for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
    const uint32_t c =
        big_endian
            ? (uint32_t(bytes[i]) << 24) | (uint32_t(bytes[i + 1]) << 16) |
                  (uint32_t(bytes[i + 2]) << 8) | bytes[i + 3]
            : (uint32_t(bytes[i + 3]) << 24) | (uint32_t(bytes[i + 2]) << 16) |
                  (uint32_t(bytes[i + 1]) << 8) | bytes[i];
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      text.push_back(kReplacement);
    } else if (c >= 0x10000) {
      const uint32_t v = c - 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(c));
    }
  }
  return text;
}

}  // namespace

std::u16string UnicodeFile::ReadTextFile(std::u16string_view path,
                                         int32_t requested, int32_t& code_page,
                                         bool& has_mark, bool* ok) {
  if (ok) *ok = true;
  if (!helpers_.CheckFileExists(path)) return {};
  const std::optional<std::vector<uint8_t>> bytes =
      fs_.ReadFile(helpers_.SystemPath(path));
  if (!bytes) {
    // A folder or a web address passes the probe but is no file to read.
    if (ok) *ok = false;
    return {};
  }
  const size_t offset =
      OpenAndDetectEncoding(*bytes, requested, code_page, has_mark);
  if (offset >= bytes->size()) return {};
  return DecodeBytes(std::span<const uint8_t>(*bytes).subspan(offset),
                     code_page);
}

size_t UnicodeFile::OpenAndDetectEncoding(std::span<const uint8_t> bytes,
                                          int32_t requested, int32_t& code_page,
                                          bool& has_mark) {
  has_mark = false;
  if (!DetectsMark(requested)) {
    code_page = requested;
    return 0;
  }
  // A file shorter than four bytes reads as if padded with 0x00.
  std::array<uint8_t, 4> b = {0, 0, 0, 0};
  std::copy_n(bytes.begin(), std::min<size_t>(4, bytes.size()), b.begin());

  int32_t detected = 0;
  size_t mark_length = 0;
  if (b[0] == 0xFF) {
    if (b[1] == 0xFE) {
      const bool utf32 = b[2] == 0x00 && b[3] == 0x00;
      detected = utf32 ? kCodePageUtf32Le : kCodePageUtf16Le;
      mark_length = utf32 ? 4 : 2;
    }
  } else if (b[0] == 0xFE) {
    if (b[1] == 0xFF) {
      detected = kCodePageUtf16Be;
      mark_length = 2;
    }
  } else if (b[0] == 0xEF) {
    if (b[1] == 0xBB && b[2] == 0xBF) {
      detected = kCodePageUtf8;
      mark_length = 3;
    }
  } else if (b[0] == 0x00) {
    if (b[1] == 0x00 && b[2] == 0xFE && b[3] == 0xFF) {
      detected = kCodePageUtf32Be;
      mark_length = 4;
    }
  }
  if (mark_length > 0) {
    has_mark = true;
    // An explicit request keeps its code page; the mark is skipped all the
    // same.
    code_page = requested == kCodePageDetect ? detected : requested;
    return mark_length;
  }
  code_page = LooksLikeUtf8(bytes) ? kCodePageUtf8 : kCodePageAnsi;
  return 0;
}

bool UnicodeFile::LooksLikeUtf8(std::span<const uint8_t> bytes) {
  const size_t window = std::min(bytes.size(), kUtf8TestWindow);
  int expected = 0;
  bool seen_sequence = false;
  for (size_t i = 0; i < window; ++i) {
    const uint8_t c = bytes[i];
    if (expected == 0) {
      if ((c & 0x80) == 0x00) {
        expected = 0;
      } else if ((c & 0xE0) == 0xC0) {
        expected = 1;
      } else if ((c & 0xF0) == 0xE0) {
        expected = 2;
      } else if ((c & 0xF8) == 0xF0) {
        expected = 3;
      } else {
        return false;
      }
    } else {
      if ((c & 0xC0) != 0x80) return false;
      if (--expected == 0) seen_sequence = true;
    }
  }
  // A sequence cut off by the end of the window doesn't count against the
  // file; pure ASCII gives false and is read as ANSI.
  return seen_sequence;
}

std::u16string UnicodeFile::DecodeBytes(std::span<const uint8_t> bytes,
                                        int32_t code_page) {
  if (bytes.empty()) return {};
  switch (code_page) {
    case kCodePageUtf16Le:
      return DecodeUtf16(bytes, /*big_endian=*/false);
    // Windows' own conversion refuses these three; without our own a
    // configuration saved in them would read as nothing.
    case kCodePageUtf16Be:
      return DecodeUtf16(bytes, /*big_endian=*/true);
    case kCodePageUtf32Le:
      return DecodeUtf32(bytes, /*big_endian=*/false);
    case kCodePageUtf32Be:
      return DecodeUtf32(bytes, /*big_endian=*/true);
    default:
      return code_pages_.Decode(bytes, code_page);
  }
}

std::u16string EncodingName(int32_t code_page) {
  switch (code_page) {
    case kCodePageAnsi:
      return u"ANSI";
    case kCodePageUtf16Le:
      return u"UTF16 LE";
    case kCodePageUtf16Be:
      return u"UTF16 BE";
    case kCodePageUtf32Le:
      return u"UTF32 LE";
    case kCodePageUtf32Be:
      return u"UTF32 BE";
    case kCodePageUtf8:
      return u"UTF8";
    default:
      return u"Codepage " + ToDecimal(code_page);
  }
}

}  // namespace zarn
