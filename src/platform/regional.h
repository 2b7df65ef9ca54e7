// Dates, spans and numbers as text, read and written with the user's
// regional settings, the way the checker's Excel does it.
#ifndef ZARN_PLATFORM_REGIONAL_H_
#define ZARN_PLATFORM_REGIONAL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/date_time.h"

namespace zarn {

class Regional {
 public:
  Regional() = default;
  Regional(const Regional&) = delete;
  Regional& operator=(const Regional&) = delete;
  virtual ~Regional() = default;

  // Reads a date-time text as the checker writes it into LiveStatusTime.
  // Gives nullopt for text that the regional conversion can't read.
  virtual std::optional<DateTime> ParseDateTime(std::u16string_view text) = 0;
  // The short date, one blank and the long time; only the short date when
  // the time is exactly midnight. This is how VB writes a date-time.
  virtual std::u16string FormatDateTime(DateTime when) = 0;
  // A span of seconds as a time of day in the long time format (00:04:30
  // under German settings). Only the time of day of the span is shown: a
  // negative span shows its magnitude, a span of a day or more wraps.
  virtual std::u16string FormatSpan(int64_t seconds) = 0;
  // The log's number text: the shortest decimal form (at most 15
  // significant digits) with the regional decimal separator; 0 gives "0".
  virtual std::u16string FormatNumber(double value) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_REGIONAL_H_
