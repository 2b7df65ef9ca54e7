#include "common/time_limit.h"

#include <cstdlib>

#include "common/text.h"

namespace zarn {
namespace {

std::optional<int> TwoDigits(std::u16string_view text, size_t at) {
  int value = 0;
  if (!ReadDigits(text, at, 2, 2, value)) return std::nullopt;
  return value;
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
