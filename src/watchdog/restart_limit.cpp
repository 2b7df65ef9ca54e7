#include "watchdog/restart_limit.h"

#include <algorithm>

#include "common/date_time.h"
#include "common/text.h"

namespace zarn {
namespace {

// The number in exactly `count` digits from `at`; nullopt when one is no
// digit.
std::optional<int> Digits(std::u16string_view text, size_t at, size_t count) {
  size_t pos = at;
  int value = 0;
  if (!ReadDigits(text, pos, count, count, value)) return std::nullopt;
  return value;
}

}  // namespace

std::u16string RestartLimit::Caption(int restarts) const {
  return ToDecimal(restarts) + u" von " + ToDecimal(max_restarts) +
         u" innerhalb " + span.text();
}

std::optional<int> ParseRestartMax(std::u16string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  const std::optional<int> value = Digits(text, 0, text.size());
  if (!value || *value < 1) return std::nullopt;
  return value;
}

std::optional<TimeLimit> ParseRestartSpan(std::u16string_view text) {
  std::optional<TimeLimit> span = TimeLimit::Parse(text);
  if (span && span->seconds() < 1) return std::nullopt;
  return span;
}

std::u16string FormatRestartTime(int64_t utc_seconds) {
  return FormatDateTime(DateTime::FromSeconds(utc_seconds), u'-', u'T', u':') +
         u'Z';
}

std::optional<int64_t> ParseRestartTime(std::u16string_view text) {
  // 2026-12-08T01:02:03Z
  if (text.size() != 20 || text[4] != u'-' || text[7] != u'-' ||
      text[10] != u'T' || text[13] != u':' || text[16] != u':' ||
      text[19] != u'Z') {
    return std::nullopt;
  }
  const auto year = Digits(text, 0, 4);
  const auto month = Digits(text, 5, 2);
  const auto day = Digits(text, 8, 2);
  const auto hour = Digits(text, 11, 2);
  const auto minute = Digits(text, 14, 2);
  const auto second = Digits(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) {
    return std::nullopt;
  }
  if (*year < 1900 || *month < 1 || *month > 12 || *day < 1 ||
      *day > DaysInMonth(*year, *month) || *hour > 23 || *minute > 59 ||
      *second > 59) {
    return std::nullopt;
  }
  return DateTime::FromCivil(*year, *month, *day, *hour, *minute, *second)
      .seconds();
}

RestartHistory ReadRestartHistory(std::u16string_view text,
                                  int64_t now_utc_seconds,
                                  const TimeLimit& span) {
  RestartHistory history;
  size_t from = 0;
  while (from <= text.size()) {
    size_t end = text.find(u';', from);
    if (end == std::u16string_view::npos) end = text.size();
    const std::u16string piece = TrimSpaces(text.substr(from, end - from));
    from = end + 1;
    if (piece.empty()) continue;
    const std::optional<int64_t> time = ParseRestartTime(piece);
    if (!time) {
      history.unreadable.push_back(piece);
      continue;
    }
    // Set back since: the restart was just now as far as this clock goes.
    const int64_t when = std::min(*time, now_utc_seconds);
    if (now_utc_seconds - when >= span.seconds()) continue;
    history.times.push_back(when);
  }
  std::sort(history.times.begin(), history.times.end());
  const size_t most = static_cast<size_t>(RestartLimit::kMostRestarts);
  if (history.times.size() > most) {
    history.times.erase(history.times.begin(),
                        history.times.end() - static_cast<ptrdiff_t>(most));
  }
  history.changed = FormatRestartHistory(history.times) != text;
  return history;
}

std::u16string UnreadableRestartsMessage(
    const std::vector<std::u16string>& unreadable) {
  constexpr size_t kNamed = 3;
  constexpr size_t kLongest = 40;
  std::u16string message =
      u"ZARND: Unlesbare Einträge in DaemonRestarts "
      u"verworfen: ";
  for (size_t i = 0; i < unreadable.size() && i < kNamed; ++i) {
    if (i > 0) message += u", ";
    message += u'\'';
    message += unreadable[i].size() > kLongest
                   ? unreadable[i].substr(0, kLongest) + u"..."
                   : unreadable[i];
    message += u'\'';
  }
  if (unreadable.size() > kNamed) {
    message += u" und " +
               ToDecimal(static_cast<int64_t>(unreadable.size() - kNamed)) +
               u" weitere";
  }
  return message;
}

std::u16string FormatRestartHistory(const std::vector<int64_t>& times) {
  std::u16string out;
  for (int64_t time : times) {
    if (!out.empty()) out += u';';
    out += FormatRestartTime(time);
  }
  return out;
}

}  // namespace zarn
