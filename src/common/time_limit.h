// The three time limits of the supervision: eight-character hh:mm:ss texts
// from the configuration, tested once at start-up and kept as text.
#ifndef ZARN_COMMON_TIME_LIMIT_H_
#define ZARN_COMMON_TIME_LIMIT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarn {

class TimeLimit {
 public:
  // Accepts exactly "hh:mm:ss" with two ASCII digits in each pair, hours up
  // to 23, minutes and seconds up to 59. Anything else, a sign or a blank
  // in a pair included, is malformed: the loop must never meet a limit it
  // can't turn into seconds.
  static std::optional<TimeLimit> Parse(std::u16string_view text);
  // REQUIRES: `text` parses; for the built-in defaults.
  static TimeLimit FromText(std::u16string_view text);

  const std::u16string& text() const { return text_; }
  int64_t seconds() const { return seconds_; }

  bool operator==(const TimeLimit&) const = default;

 private:
  TimeLimit(std::u16string text, int64_t seconds)
      : text_(std::move(text)), seconds_(seconds) {}
  std::u16string text_;
  int64_t seconds_;
};

}  // namespace zarn

#endif  // ZARN_COMMON_TIME_LIMIT_H_
