#include "common/date_time.h"

#include <cmath>

#include "common/text.h"

namespace zarn {
namespace {

// Days between 1899-12-30 and 1970-01-01.
constexpr int64_t kOleEpochToUnixDays = 25569;
// OLE dates are valid from 1 January 100 to 31 December 9999, each day
// whole: before the epoch the time of day counts away from zero, so the
// last second of 1 January 100 lies below -657434.
constexpr double kMinOleDate = -657434.999988426;
constexpr double kMaxOleDate = 2958465.999988426;

// Howard Hinnant's days_from_civil: days since 1970-01-01.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, CivilTime& out) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  out.year = static_cast<int>(y + (m <= 2));
  out.month = static_cast<int>(m);
  out.day = static_cast<int>(d);
}

}  // namespace

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

DateTime DateTime::FromCivil(const CivilTime& c) {
  const int64_t days = DaysFromCivil(c.year, static_cast<unsigned>(c.month),
                                     static_cast<unsigned>(c.day)) +
                       kOleEpochToUnixDays;
  return DateTime(days * kSecondsPerDay + c.hour * 3600 + c.minute * 60 +
                  c.second);
}

std::optional<DateTime> DateTime::FromOleDate(double ole_date) {
  if (std::isnan(ole_date) || ole_date < kMinOleDate ||
      ole_date > kMaxOleDate) {
    return std::nullopt;
  }
  // The whole part counts days (towards zero); the fraction is always the
  // time of day, also for negative dates.
  const double whole = std::trunc(ole_date);
  const double fraction = std::fabs(ole_date - whole);
  const int64_t days = static_cast<int64_t>(whole);
  const int64_t second_of_day =
      static_cast<int64_t>(std::llround(fraction * kSecondsPerDay));
  return DateTime(days * kSecondsPerDay + second_of_day);
}

double DateTime::ToOleDate() const {
  const int64_t days = FloorDiv(seconds_, kSecondsPerDay);
  const int64_t second_of_day = seconds_ - days * kSecondsPerDay;
  const double fraction = static_cast<double>(second_of_day) / kSecondsPerDay;
  if (days >= 0) return static_cast<double>(days) + fraction;
  // -1.25 is one day before the epoch plus six hours: the fraction is added
  // to the magnitude of the day number.
  return static_cast<double>(days) - fraction;
}

CivilTime DateTime::ToCivil() const {
  CivilTime civil;
  const int64_t days = FloorDiv(seconds_, kSecondsPerDay);
  CivilFromDays(days - kOleEpochToUnixDays, civil);
  const int64_t sod = seconds_ - days * kSecondsPerDay;
  civil.hour = static_cast<int>(sod / 3600);
  civil.minute = static_cast<int>(sod / 60 % 60);
  civil.second = static_cast<int>(sod % 60);
  return civil;
}

int64_t DateTime::SecondOfDay() const {
  return seconds_ - FloorDiv(seconds_, kSecondsPerDay) * kSecondsPerDay;
}

std::u16string FormatDateTime(DateTime when, char16_t date_mark,
                              char16_t middle, char16_t time_mark) {
  const CivilTime t = when.ToCivil();
  std::u16string text = ToDecimalPadded(t.year, 4);
  const auto add = [&text](char16_t mark, int field) {
    text += mark;
    text += ToDecimalPadded(field, 2);
  };
  add(date_mark, t.month);
  add(date_mark, t.day);
  add(middle, t.hour);
  add(time_mark, t.minute);
  add(time_mark, t.second);
  return text;
}

}  // namespace zarn
