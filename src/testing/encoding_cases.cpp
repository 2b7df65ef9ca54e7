#include "testing/encoding_cases.h"

#include <string_view>

namespace zarn {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a,
                            const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ASCII lines of `size` bytes in all.
std::vector<uint8_t> Ascii(size_t size) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < size; ++i) {
    bytes.push_back(i % 40 == 39 ? '\n' : static_cast<uint8_t>('a' + i % 26));
  }
  return bytes;
}

std::u16string AsText(const std::vector<uint8_t>& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace

std::vector<EncodingCase> EncodingCases() {
  std::vector<EncodingCase> cases;
  cases.push_back({"Utf32LeMarkBeforeUtf16Le",
                   Bytes(std::string_view("\xFF\xFE\0\0A\0\0\0", 8)), 12000,
                   true, u"A"});
  cases.push_back({"Utf16LeMark",
                   Bytes(std::string_view("\xFF\xFE"
                                          "A\0",
                                          4)),
                   1200, true, u"A"});
  cases.push_back(
      {"TwoBytesFffeCountAsUtf32Le", Bytes("\xFF\xFE"), 12000, true, u""});
  cases.push_back({"Utf8MarkAlone", Bytes("\xEF\xBB\xBF"), 65001, true, u""});
  cases.push_back({"Ef_Bb_41IsNoMarkAndAnsi",
                   Bytes("\xEF\xBB"
                         "A"),
                   0, false,
                   u"\u00EF\u00BB"
                   u"A"});
  cases.push_back({"OddByteAfterUtf16LeMarkIsDropped",
                   Bytes(std::string_view("\xFF\xFE"
                                          "A\0B",
                                          5)),
                   1200, true, u"A"});
  cases.push_back({"PureAsciiIsAnsi",
                   Bytes("[ZARN]\r\nCANCELTIME=00:10:00\r\n"), 0, false,
                   u"[ZARN]\r\nCANCELTIME=00:10:00\r\n"});
  {
    std::vector<uint8_t> bytes = Ascii(1000);
    std::u16string text = AsText(bytes);
    bytes = Concat(bytes, Bytes("\xC3\xA4"));
    text += u"\u00E4";
    const std::vector<uint8_t> tail = Ascii(500);
    cases.push_back({"OneTwoByteSequenceIsUtf8", Concat(bytes, tail), 65001,
                     false, text + AsText(tail)});
  }
  {
    std::vector<uint8_t> bytes = Concat(Ascii(100), Bytes("\xC3\xA4"));
    bytes = Concat(bytes, Bytes("x\x80y"));
    std::u16string text = AsText(Ascii(100)) + u"\u00C3\u00A4x\u20ACy";
    cases.push_back({"StrayContinuationByteIsAnsi", bytes, 0, false, text});
  }
  {
    // The fault lies at offset 2048, past the test's window.
    std::vector<uint8_t> bytes = Concat(Ascii(10), Bytes("\xC3\xA4"));
    bytes = Concat(bytes, Ascii(2036));
    bytes.push_back(0x80);
    std::u16string text =
        AsText(Ascii(10)) + u"\u00E4" + AsText(Ascii(2036)) + u"\uFFFD";
    cases.push_back(
        {"FaultAfterTheWindowStillUtf8", bytes, 65001, false, text});
  }
  cases.push_back(
      {"Utf16BeMark",
       Bytes(std::string_view("\xFE\xFF\0K\0=\0\xE4\xD8\x3D\xDE\x00", 12)),
       1201, true, u"K=\u00E4\U0001F600"});
  cases.push_back({"Utf32LeMark",
                   Bytes(std::string_view(
                       "\xFF\xFE\0\0K\0\0\0\xE4\0\0\0\x00\xF6\x01\0", 16)),
                   12000, true, u"K\u00E4\U0001F600"});
  cases.push_back({"Utf32BeMark",
                   Bytes(std::string_view(
                       "\0\0\xFE\xFF\0\0\0K\0\0\0\xE4\0\x01\xF6\x00", 16)),
                   12001, true, u"K\u00E4\U0001F600"});
  cases.push_back(
      {"Utf32InvalidCodePointsBecomeReplacement",
       Bytes(std::string_view("\xFF\xFE\0\0\0\xD8\0\0\0\0\x11\0A\0\0\0", 16)),
       12000, true,
       u"\uFFFD\uFFFD"
       u"A"});
  cases.push_back({"EmptyFileIsAnsi", {}, 0, false, u""});
  cases.push_back({"AnsiUmlauts",
                   Bytes("Pr\xFC"
                         "fung \xC4\xD6\xDC\xDF"),
                   0, false, u"Prüfung ÄÖÜß"});
  return cases;
}

}  // namespace zarn
