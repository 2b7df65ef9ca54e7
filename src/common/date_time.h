// Local date-times in whole seconds, so that "last report + limit < now" is
// exact. The OLE date double exists only at the platform boundary.
#ifndef ZARN_COMMON_DATE_TIME_H_
#define ZARN_COMMON_DATE_TIME_H_

#include <compare>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace zarn {

struct CivilTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// a / b rounded towards negative infinity: -1500 ms are -2 whole seconds.
// REQUIRES: b != 0.
int64_t FloorDiv(int64_t a, int64_t b);

// The days of `month` (1 to 12) in the Gregorian `year`.
int DaysInMonth(int year, int month);

// A local date and time: whole seconds since 30 December 1899, 00:00:00,
// the epoch of the OLE date type. Negative values lie before the epoch.
class DateTime {
 public:
  static constexpr int64_t kSecondsPerDay = 86400;

  constexpr DateTime() = default;
  static constexpr DateTime FromSeconds(int64_t seconds) {
    return DateTime(seconds);
  }
  // REQUIRES: a valid Gregorian date and a time of day.
  static DateTime FromCivil(const CivilTime& civil);
  static DateTime FromCivil(int year, int month, int day, int hour = 0,
                            int minute = 0, int second = 0) {
    return FromCivil(CivilTime{year, month, day, hour, minute, second});
  }
  // Rounds to the nearest second. Gives nullopt for NaN and for values
  // outside the OLE range (the years 100 to 9999).
  static std::optional<DateTime> FromOleDate(double ole_date);

  // The OLE date of this moment: days since the epoch, the time of day as
  // the fraction. Before the epoch the fraction counts forward from the day,
  // as OLE does (-1.25 is 29 December 1899, 06:00).
  double ToOleDate() const;
  CivilTime ToCivil() const;
  int64_t seconds() const { return seconds_; }
  // Seconds since midnight, 0 to 86399.
  int64_t SecondOfDay() const;

  constexpr auto operator<=>(const DateTime&) const = default;
  constexpr DateTime operator+(int64_t seconds) const {
    return DateTime(seconds_ + seconds);
  }
  constexpr DateTime operator-(int64_t seconds) const {
    return DateTime(seconds_ - seconds);
  }
  constexpr int64_t operator-(const DateTime& other) const {
    return seconds_ - other.seconds_;
  }

 private:
  explicit constexpr DateTime(int64_t seconds) : seconds_(seconds) {}
  int64_t seconds_ = 0;
};

// `when` as year, month, day, hour, minute and second: the year in four
// digits, every other field in two. `date_mark` stands between the fields
// of the date, `middle` between date and time, `time_mark` between the
// fields of the time: u'-', u'T', u':' give "2026-12-08T01:02:03".
std::u16string FormatDateTime(DateTime when, char16_t date_mark,
                              char16_t middle, char16_t time_mark);

// For test failure messages: 2026-12-06 03:41:47.
void PrintTo(const DateTime& when, std::ostream* os);

// The checker writes 1 January 1900, 00:00:00 into LiveStatusTime when it
// has nothing to report; a missing value reads as this marker too.
inline constexpr DateTime kNeverReported =
    DateTime::FromSeconds(2 * DateTime::kSecondsPerDay);

}  // namespace zarn

#endif  // ZARN_COMMON_DATE_TIME_H_
