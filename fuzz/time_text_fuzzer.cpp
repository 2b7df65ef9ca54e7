// Text as a time limit from the configuration and as a date-time that the
// checker wrote into LiveStatusTime. An accepted limit is exactly what its
// digits say; a date-time that reads at all reads back the same after it is
// written out again; a span shows as a limit the loop could read.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "common/date_time.h"
#include "common/time_limit.h"
#include "testing/fake_regional.h"

namespace zarn {
namespace {

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
int Pair(std::u16string_view text, size_t at) {
  return (text[at] - u'0') * 10 + (text[at + 1] - u'0');
}

void CheckTimeLimit(std::u16string_view text) {
  const std::optional<TimeLimit> limit = TimeLimit::Parse(text);
  if (!limit) return;
  Check(text.size() == 8 && limit->text() == text);
  Check(text[2] == u':' && text[5] == u':');
  for (size_t at : {0, 3, 6}) Check(IsDigit(text[at]) && IsDigit(text[at + 1]));
  const int hours = Pair(text, 0);
  const int minutes = Pair(text, 3);
  const int seconds = Pair(text, 6);
  Check(hours < 24 && minutes < 60 && seconds < 60);
  Check(limit->seconds() == hours * 3600 + minutes * 60 + seconds);
  Check(limit->seconds() >= 0 && limit->seconds() < DateTime::kSecondsPerDay);
}

void CheckDateTime(std::u16string_view text) {
  FakeRegional regional;
  const std::optional<DateTime> when = regional.ParseDateTime(text);
  if (!when) return;
  const std::u16string written = regional.FormatDateTime(*when);
  const std::optional<DateTime> again = regional.ParseDateTime(written);
  Check(again == when);
  Check(regional.FormatDateTime(*again) == written);
  Check(DateTime::FromCivil(when->ToCivil()) == *when);
  const std::optional<DateTime> ole = DateTime::FromOleDate(when->ToOleDate());
  Check(ole == when);
}

// The age of a report as the window shows it, for every age the dates of
// the years 100 to 9999 can give.
void CheckSpan(int64_t seconds) {
  constexpr int64_t kLongestAge = int64_t{10000} * 366 * 86400;
  seconds %= kLongestAge;
  FakeRegional regional;
  const std::optional<TimeLimit> shown =
      TimeLimit::Parse(regional.FormatSpan(seconds));
  Check(shown.has_value());
  const int64_t magnitude = seconds < 0 ? -seconds : seconds;
  Check(shown->seconds() == magnitude % DateTime::kSecondsPerDay);
}

}  // namespace
}  // namespace zarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One character per byte: both texts are ASCII where they are valid.
  const std::u16string text(data, data + size);
  zarn::CheckTimeLimit(text);
  zarn::CheckDateTime(text);
  if (size >= sizeof(int64_t)) {
    int64_t seconds = 0;
    std::memcpy(&seconds, data, sizeof seconds);
    zarn::CheckSpan(seconds);
  }
  return 0;
}
