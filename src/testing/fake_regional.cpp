#include "testing/fake_regional.h"

#include <cstdio>
#include <string>

#include "common/text.h"

namespace zarn {
namespace {

bool ReadTime(std::u16string_view text, size_t& pos, CivilTime& t) {
  if (!ReadDigits(text, pos, 1, 2, t.hour) || pos >= text.size() ||
      text[pos] != u':') {
    return false;
  }
  ++pos;
  if (!ReadDigits(text, pos, 1, 2, t.minute)) return false;
  if (pos < text.size() && text[pos] == u':') {
    ++pos;
    if (!ReadDigits(text, pos, 1, 2, t.second)) return false;
  }
  return t.hour < 24 && t.minute < 60 && t.second < 60;
}

std::u16string Ascii(const char* text) {
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace

std::optional<DateTime> FakeRegional::ParseDateTime(std::u16string_view raw) {
  ++parse_count_;
  const std::u16string text = TrimSpaces(raw);
  CivilTime t;
  size_t pos = 0;
  if (text.find(u'.') != std::u16string::npos) {
    if (!ReadDigits(text, pos, 1, 2, t.day) || pos >= text.size() ||
        text[pos++] != u'.' || !ReadDigits(text, pos, 1, 2, t.month) ||
        pos >= text.size() || text[pos++] != u'.' ||
        !ReadDigits(text, pos, 1, 4, t.year)) {
      return std::nullopt;
    }
    if (t.year < 100 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month)) {
      return std::nullopt;
    }
    if (pos < text.size()) {
      if (text[pos] != u' ') return std::nullopt;
      while (pos < text.size() && text[pos] == u' ') ++pos;
      if (!ReadTime(text, pos, t)) return std::nullopt;
    }
  } else if (!ReadTime(text, pos, t)) {
    return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  return DateTime::FromCivil(t);
}

std::u16string FakeRegional::FormatDateTime(DateTime when) {
  const CivilTime t = when.ToCivil();
  char buffer[64];
  if (when.SecondOfDay() == 0) {
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d", t.day, t.month,
                  t.year);
  } else {
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d %02d:%02d:%02d", t.day,
                  t.month, t.year, t.hour, t.minute, t.second);
  }
  return Ascii(buffer);
}

std::u16string FakeRegional::FormatSpan(int64_t seconds) {
  if (seconds < 0) seconds = -seconds;
  seconds %= DateTime::kSecondsPerDay;
  char buffer[32];
  std::snprintf(
      buffer, sizeof buffer, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
      static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return Ascii(buffer);
}

std::u16string FakeRegional::FormatNumber(double value) {
  if (value == 0) return u"0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  std::u16string out = Ascii(buffer);
  for (char16_t& c : out) {
    if (c == u'.') c = u',';
  }
  return out;
}

}  // namespace zarn
