#include "watchdog/event_report.h"

#include "common/text.h"

namespace zarn {
namespace {

constexpr char16_t kLineBreakMark = u'\u00B6';  // ¶
constexpr char16_t kReplacement = u'\uFFFD';
constexpr char16_t kWidePercent = u'\uFF05';  // ％

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// What takes the place of one code unit that is neither a line break nor
// part of a surrogate pair.
char16_t Neutral(char16_t c) {
  if (c == u'%') return kWidePercent;
  if (c == u'\t') return c;
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return kReplacement;
  if (c == 0xFFFE || c == 0xFFFF) return kReplacement;
  if (IsHighSurrogate(c) || IsLowSurrogate(c)) return kReplacement;
  return c;
}

std::u16string Neutralise(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n' || c == 0x85 || c == 0x2028 || c == 0x2029) {
      // CR LF is one break.
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += kLineBreakMark;
    } else if (IsHighSurrogate(c) && i + 1 < text.size() &&
               IsLowSurrogate(text[i + 1])) {
      out += c;
      out += text[++i];
    } else {
      out += Neutral(c);
    }
  }
  return out;
}

// Beginning and end of `text`, the marker between them; a cut never parts
// a surrogate pair.
std::u16string Shorten(const std::u16string& text) {
  // The marker's length hardly depends on the number in it; measured with
  // the longest number it can hold.
  const size_t marker_room =
      (u" …[" + ToDecimal(static_cast<int64_t>(text.size())) +
       u" Zeichen ausgelassen]… ")
          .size();
  const size_t keep = kInsertionTextLimit - marker_room;
  size_t head = keep / 2;
  size_t tail_start = text.size() - (keep - head);
  if (IsLowSurrogate(text[head])) --head;
  if (IsLowSurrogate(text[tail_start])) ++tail_start;
  return text.substr(0, head) + u" …[" +
         ToDecimal(static_cast<int64_t>(tail_start - head)) +
         u" Zeichen ausgelassen]… " + text.substr(tail_start);
}

}  // namespace

EventLogSwitch ReadEventLogSwitch(std::u16string_view value) {
  if (value.empty() || value == u"1") return {};
  if (value == u"0") return {false, {}};
  std::u16string message = u"Die ";
  message += kEventLogKey;
  message +=
      u" in der Sektion [ZARN] der Konfiguration ist weder 0 noch 1. Der "
      u"Wert wird auf 1 gesetzt.";
  return {true, std::move(message)};
}

std::u16string InsertionText(std::u16string_view text) {
  std::u16string out = Neutralise(text);
  if (out.size() > kInsertionTextLimit) out = Shorten(out);
  return out;
}

std::u16string SpanText(int64_t seconds) {
  std::u16string text = seconds < 0 ? u"-" : u"";
  // Negated as unsigned: the most negative number has no positive twin.
  const uint64_t s = seconds < 0 ? 0 - static_cast<uint64_t>(seconds)
                                 : static_cast<uint64_t>(seconds);
  text += ToDecimalPadded(static_cast<int64_t>(s / 3600), 2);
  text += u':';
  text += ToDecimalPadded(static_cast<int64_t>(s / 60 % 60), 2);
  text += u':';
  text += ToDecimalPadded(static_cast<int64_t>(s % 60), 2);
  return text;
}

void EventReport::ReportRestart(RestartCause cause,
                                std::u16string_view workbook,
                                int64_t report_age_seconds,
                                const TimeLimit& limit) {
  Write(EventLevel::kInformation, event_ids::kCategoryRestart,
        cause == RestartCause::kUser ? event_ids::kRestartByUser
                                     : event_ids::kRestart,
        {workbook, SpanText(report_age_seconds), limit.text()});
}

void EventReport::ReportStartFailed(std::u16string_view workbook,
                                    uint32_t error) {
  Write(EventLevel::kError, event_ids::kCategoryRestart,
        event_ids::kStartFailed, {workbook, ToDecimal(error)});
}

void EventReport::ReportRestartRefused(std::u16string_view workbook,
                                       int max_restarts,
                                       const TimeLimit& span) {
  Write(EventLevel::kError, event_ids::kCategoryRestart,
        event_ids::kRestartRefused,
        {workbook, ToDecimal(max_restarts), span.text()});
}

void EventReport::ReportUnreadableRestarts(
    const std::vector<std::u16string>& entries) {
  std::u16string list;
  for (const std::u16string& entry : entries) {
    if (!list.empty()) list += u", ";
    list += u"'" + entry + u"'";
    // The rest would be cut away.
    if (list.size() > 2 * kInsertionTextLimit) break;
  }
  Write(EventLevel::kWarning, event_ids::kCategoryRestart,
        event_ids::kUnreadableRestarts, {list});
}

void EventReport::ReportNeverReported(const TimeLimit& limit) {
  Write(EventLevel::kWarning, event_ids::kCategorySupervision,
        event_ids::kNeverReported, {limit.text()});
}

void EventReport::ReportSecondInstance(std::u16string_view exe_path) {
  Write(EventLevel::kInformation, event_ids::kCategorySupervision,
        event_ids::kSecondInstance, {exe_path});
}

void EventReport::ReportDumpWritten(uint32_t process_id,
                                    std::u16string_view file) {
  Write(EventLevel::kInformation, event_ids::kCategoryDump,
        event_ids::kDumpWritten, {ToDecimal(process_id), file});
}

void EventReport::ReportDumpSkipped(uint32_t process_id,
                                    std::u16string_view reason) {
  Write(EventLevel::kWarning, event_ids::kCategoryDump, event_ids::kDumpSkipped,
        {ToDecimal(process_id), reason});
}

void EventReport::ReportMalformedConfiguration(std::u16string_view config_file,
                                               std::u16string_view message) {
  Write(EventLevel::kError, event_ids::kCategoryConfiguration,
        event_ids::kMalformedConfiguration, {config_file, message});
}

void EventReport::Write(EventLevel level, uint16_t category, uint16_t id,
                        std::initializer_list<std::u16string_view> strings) {
  if (!enabled_ || failed_) return;
  Event event{level, category, id, {}};
  for (std::u16string_view s : strings) {
    event.strings.push_back(InsertionText(s));
  }
  // Once refused, the log is left alone for the rest of the run: a stopped
  // service would refuse every event, each after a call of its own.
  if (!log_.Report(event)) failed_ = true;
}

}  // namespace zarn
