#include "common/time_limit.h"

#include <cstdlib>

namespace zarn {
namespace {

std::optional<int> TwoDigits(std::u16string_view text, size_t at) {
  const char16_t hi = text[at];
  const char16_t lo = text[at + 1];
  if (hi < u'0' || hi > u'9' || lo < u'0' || lo > u'9') return std::nullopt;
  return (hi - u'0') * 10 + (lo - u'0');
}

}  // namespace

std::optional<TimeLimit> TimeLimit::Parse(std::u16string_view text) {
  if (text.size() != 8 || text[2] != u':' || text[5] != u':') {
    return std::nullopt;
  }
  const auto hours = TwoDigits(text, 0);
  const auto minutes = TwoDigits(text, 3);
  const auto seconds = TwoDigits(text, 6);
  if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 ||
      *seconds > 59) {
    return std::nullopt;
  }
  return TimeLimit(std::u16string(text),
                   *hours * 3600 + *minutes * 60 + *seconds);
}

TimeLimit TimeLimit::FromText(std::u16string_view text) {
  auto limit = Parse(text);
  if (!limit) std::abort();
  return *limit;
}

}  // namespace zarn
