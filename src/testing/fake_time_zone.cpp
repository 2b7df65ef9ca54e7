#include "testing/fake_time_zone.h"

namespace zarn {
namespace {

constexpr int64_t kHour = 3600;

// 0 for Sunday; 30 December 1899 was a Saturday.
int WeekdayOf(DateTime day) {
  const int64_t days = day.seconds() / DateTime::kSecondsPerDay;
  return static_cast<int>((days % 7 + 7 + 6) % 7);
}

}  // namespace

FakeTimeZone FakeTimeZone::EuropeBerlin() {
  return FakeTimeZone(1 * kHour, 2 * kHour, ZoneChange{3, 5, 2},
                      ZoneChange{10, 5, 3});
}

FakeTimeZone FakeTimeZone::AustraliaSydney() {
  return FakeTimeZone(10 * kHour, 11 * kHour, ZoneChange{10, 1, 2},
                      ZoneChange{4, 1, 3});
}

FakeTimeZone FakeTimeZone::Utc() {
  return FakeTimeZone(0, 0, std::nullopt, std::nullopt);
}

int64_t FakeTimeZone::ChangeAt(int year, const ZoneChange& change,
                               int64_t offset) {
  const DateTime first = DateTime::FromCivil(year, change.month, 1);
  int day = 1 + (7 - WeekdayOf(first)) % 7;
  day += 7 * (change.week - 1);
  while (day > DaysInMonth(year, change.month)) day -= 7;
  return DateTime::FromCivil(year, change.month, day, change.hour).seconds() -
         offset;
}

FakeTimeZone FakeTimeZone::WithDaylightSavingOff(bool rules_follow) const {
  FakeTimeZone zone = *this;
  zone.daylight_saving_off_ = true;
  zone.rules_follow_setting_ = rules_follow;
  return zone;
}

int64_t FakeTimeZone::OffsetBy(bool daylight_saving, int64_t utc) const {
  if (!daylight_saving || !daylight_start_ || !daylight_end_) {
    return standard_offset_;
  }
  const int year = DateTime::FromSeconds(utc + standard_offset_).ToCivil().year;
  const int64_t start = ChangeAt(year, *daylight_start_, standard_offset_);
  const int64_t end = ChangeAt(year, *daylight_end_, daylight_offset_);
  // South of the equator the summer spans the turn of the year.
  const bool daylight =
      start < end ? utc >= start && utc < end : utc >= start || utc < end;
  return daylight ? daylight_offset_ : standard_offset_;
}

int64_t FakeTimeZone::OffsetAt(int64_t utc) const {
  return OffsetBy(!daylight_saving_off_, utc);
}

DateTime FakeTimeZone::ToLocal(int64_t utc) const {
  return DateTime::FromSeconds(utc + OffsetAt(utc));
}

UtcReadings FakeTimeZone::ReadingsBy(bool daylight_saving,
                                     DateTime local) const {
  const auto shown = [&](int64_t utc) {
    return DateTime::FromSeconds(utc + OffsetBy(daylight_saving, utc)) == local;
  };
  const int64_t by_standard = local.seconds() - standard_offset_;
  const int64_t by_daylight = local.seconds() - daylight_offset_;
  return UtcReadings::Of(by_standard, shown(by_standard), by_daylight,
                         shown(by_daylight));
}

UtcReadings FakeTimeZone::ToUtc(DateTime local) const {
  return ReadingsBy(!(daylight_saving_off_ && rules_follow_setting_), local);
}

UtcReadings FakeTimeZone::ShownToUtc(DateTime local) const {
  return ReadingsBy(!daylight_saving_off_, local);
}

}  // namespace zarn
