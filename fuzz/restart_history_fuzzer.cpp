// Text as the restart history in DaemonRestarts, which anything may have
// written. Whatever it holds, the times kept lie within the span and in
// order, at most 999 of them; written back and read again at the same
// moment, they come back the same and need no tidying; every piece left
// out is named.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/time_limit.h"
#include "watchdog/restart_limit.h"

namespace zarn {
namespace {

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

void CheckHistory(std::u16string_view text, int64_t now, int span_seconds) {
  const std::u16string span_text = [&] {
    std::u16string out;
    const int parts[] = {span_seconds / 3600, span_seconds / 60 % 60,
                         span_seconds % 60};
    for (int part : parts) {
      if (!out.empty()) out += u':';
      out += static_cast<char16_t>(u'0' + part / 10);
      out += static_cast<char16_t>(u'0' + part % 10);
    }
    return out;
  }();
  const TimeLimit span = TimeLimit::FromText(span_text);
  const RestartHistory history = ReadRestartHistory(text, now, span);
  Check(history.times.size() <= RestartLimit::kMostRestarts);
  for (size_t i = 0; i < history.times.size(); ++i) {
    Check(history.times[i] <= now);
    Check(now - history.times[i] < span.seconds());
    if (i > 0) Check(history.times[i - 1] <= history.times[i]);
  }
  for (const std::u16string& piece : history.unreadable) {
    Check(!piece.empty() && piece.front() != u' ' && piece.back() != u' ');
    Check(!ParseRestartTime(piece).has_value());
  }
  const std::u16string written = FormatRestartHistory(history.times);
  Check(history.changed == (written != text));
  const RestartHistory again = ReadRestartHistory(written, now, span);
  Check(again.times == history.times);
  Check(again.unreadable.empty() && !again.changed);
  if (!history.unreadable.empty()) {
    Check(UnreadableRestartsMessage(history.unreadable).size() < 250);
  }
}

}  // namespace
}  // namespace zarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first four bytes choose the moment (within the years 2000 to about
  // 2136) and the span; the rest is the text, one character per byte.
  if (size < 4) return 0;
  uint16_t moment = 0;
  uint16_t span = 0;
  std::memcpy(&moment, data, 2);
  std::memcpy(&span, data + 2, 2);
  const int64_t year_2000 = int64_t{36526} * 86400;
  const int64_t now = year_2000 + int64_t{moment} * 65537;
  const std::u16string text(data + 4, data + size);
  zarn::CheckHistory(text, now, 1 + span % 86399);
  return 0;
}
