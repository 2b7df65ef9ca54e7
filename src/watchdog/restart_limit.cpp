#include "watchdog/restart_limit.h"

#include <algorithm>

#include "common/date_time.h"
#include "common/text.h"
#include "watchdog/build_title.h"
#include "watchdog/daemon_log.h"

namespace zarn {
namespace {

constexpr std::u16string_view kMaxKey = u"RESTARTMAX";
constexpr std::u16string_view kSpanKey = u"RESTARTTIME";
// What follows from every key the limit can't use.
constexpr std::u16string_view kOff = u"Neustarts werden nicht begrenzt.";

// The number in exactly `count` digits from `at`; nullopt when one is no
// digit.
std::optional<int> Digits(std::u16string_view text, size_t at, size_t count) {
  size_t pos = at;
  int value = 0;
  if (!ReadDigits(text, pos, count, count, value)) return std::nullopt;
  return value;
}

}  // namespace

std::u16string RestartQuota::Caption(int restarts) const {
  return ToDecimal(restarts) + u" von " + ToDecimal(max_restarts) +
         u" innerhalb " + span.text();
}

std::optional<int> ParseRestartMax(std::u16string_view text) {
  return ParseCount(text, RestartLimit::kMostRestarts);
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

std::u16string RefusalNotice(const RestartQuota& quota,
                             std::u16string_view when,
                             std::u16string_view workbook) {
  return Concat({u"ZARN wurde am ", when,
                 u" beendet und nicht neu gestartet, weil es innerhalb ",
                 quota.span.text(), u" bereits ", ToDecimal(quota.max_restarts),
                 u"-mal neu gestartet werden musste. Prüfen Sie, warum ZARN "
                 u"hängen bleibt, und starten Sie danach '",
                 workbook, u"' von Hand neu."});
}

std::vector<std::u16string> RestartLimit::ReadKeys(
    const ConfigSection& section) {
  const std::u16string max_text = section.GetValue(kMaxKey);
  const std::u16string span_text = section.GetValue(kSpanKey);
  std::vector<std::u16string> messages;
  if (max_text.empty() && span_text.empty()) return messages;
  const std::optional<int> max = ParseRestartMax(max_text);
  const std::optional<TimeLimit> span = ParseRestartSpan(span_text);
  if (!max_text.empty() && !max) {
    messages.push_back(
        MalformedKeyMessage(kMaxKey, NoCountFault(kMostRestarts), kOff));
  }
  if (!span_text.empty() && !span) {
    messages.push_back(MalformedKeyMessage(
        kSpanKey,
        u"ist keine Zeitspanne von 00:00:01 bis 23:59:59 im Format hh:mm:ss",
        kOff));
  }
  // Half a limit is no limit; the key that is there must not pass unseen.
  if (max_text.empty() && span) {
    messages.push_back(MissingKeyMessage(kMaxKey, kSpanKey, kOff));
  }
  if (span_text.empty() && max) {
    messages.push_back(MissingKeyMessage(kSpanKey, kMaxKey, kOff));
  }
  if (max && span) quota_ = RestartQuota{*max, *span};
  return messages;
}

void RestartLimit::ShowCountOnceShown(const ClockReading& shown) {
  if (!quota_) return;
  const int64_t now_s = shown.UtcSeconds();
  const RestartHistory history =
      ReadRestartHistory(settings_.ReadSetting(settings::kDaemonRestarts, u""),
                         now_s, quota_->span);
  leave_span_running_ms_.clear();
  for (int64_t time : history.times) {
    leave_span_running_ms_.push_back(shown.RunningAtSecondStart() +
                                     (time + quota_->span.seconds() - now_s) *
                                         1000);
  }
  count_shown_ = history.times.size();
  view_.SetCaption(StatusLabel::kRestarts,
                   quota_->Caption(static_cast<int>(count_shown_)));
}

void RestartLimit::UpdateCount(const ClockReading& now) {
  if (!quota_) return;
  const size_t within = static_cast<size_t>(std::count_if(
      leave_span_running_ms_.begin(), leave_span_running_ms_.end(),
      [&](int64_t at) { return at > now.running_ms; }));
  if (within == count_shown_) return;
  count_shown_ = within;
  view_.SetCaption(StatusLabel::kRestarts,
                   quota_->Caption(static_cast<int>(within)));
}

void RestartLimit::ReadHistory(const ClockReading& now, bool asked_by_user) {
  history_.reset();
  if (!quota_ || asked_by_user) return;
  history_ =
      ReadRestartHistory(settings_.ReadSetting(settings::kDaemonRestarts, u""),
                         now.UtcSeconds(), quota_->span);
}

const std::vector<std::u16string>& RestartLimit::unreadable() const {
  static const std::vector<std::u16string> kNone;
  return history_ ? history_->unreadable : kNone;
}

void RestartLimit::LogUnreadable(DaemonLog& log, DateTime when) const {
  if (!history_ || history_->unreadable.empty()) return;
  log.WriteDaemonLog(when, UnreadableRestartsMessage(history_->unreadable), 0,
                     0);
}

bool RestartLimit::AdmitRestart(const ClockReading& now) {
  if (!history_) return true;
  if (history_->times.size() >= static_cast<size_t>(quota_->max_restarts)) {
    if (history_->changed) {
      settings_.WriteSetting(settings::kDaemonRestarts,
                             FormatRestartHistory(history_->times));
    }
    return false;
  }
  // Counted before anything is handed over: a daemon that dies on the way
  // has restarted once too often rather than once too few.
  history_->times.push_back(now.UtcSeconds());
  settings_.WriteSetting(settings::kDaemonRestarts,
                         FormatRestartHistory(history_->times));
  return true;
}

void RestartLimit::LogRefusal(DaemonLog& log, DateTime when,
                              std::u16string_view workbook) const {
  log.WriteDaemonLog(
      when,
      Concat({u"ZARND: Kein Neustart von ZARN '", workbook, u"': Grenze von ",
              ToDecimal(quota_->max_restarts), u" Neustarts innerhalb ",
              quota_->span.text(), u" erreicht"}),
      0, 0);
}

void RestartLimit::TellRefusal(MessageBox& box, std::u16string_view when,
                               std::u16string_view workbook) const {
  box.ShowFor(RefusalNotice(*quota_, when, workbook), BuildTitle(),
              MessageKind::kCriticalSystemModal, kNoticeMs);
}

}  // namespace zarn
