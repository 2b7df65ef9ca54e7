#include "platform/win32/win32_clock.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/system_time.h"

namespace zarn {
namespace {

// FILETIME counts 100-nanosecond ticks from 1 January 1601; our dates count
// from 30 December 1899.
constexpr int64_t kFileTimeAtDateEpoch = 94353120000000000;
constexpr int64_t kTicksPerMs = 10000;

using win32::FromSystemTime;
using win32::ToSystemTime;

class Win32Clock final : public Clock {
 public:
  ClockReading Read() override {
    ClockReading reading;
    ULONGLONG running = 0;
    // Unbiased: the time the machine spent asleep or hibernating is left
    // out, as the checker did not run then either.
    ::QueryUnbiasedInterruptTime(&running);
    reading.running_ms = static_cast<int64_t>(running / kTicksPerMs);
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    const int64_t ticks =
        static_cast<int64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    reading.utc_ms = (ticks - kFileTimeAtDateEpoch) / kTicksPerMs;
    // The local time of the same moment, so that both never disagree
    // about the second, as the system's own clock shows it (GetLocalTime,
    // and so the checker's Now): by the bias the system applies now, with
    // the daylight-saving setting as the user left it.
    FILETIME local_file_time;
    SYSTEMTIME local;
    if (::FileTimeToLocalFileTime(&now, &local_file_time) &&
        ::FileTimeToSystemTime(&local_file_time, &local)) {
      reading.local = FromSystemTime(local);
    } else {
      reading.local = DateTime::FromSeconds(reading.UtcSeconds());
    }
    return reading;
  }

  UtcReadings LocalToUtc(DateTime local) override {
    TIME_ZONE_INFORMATION* found = RulesFor(local.ToCivil().year);
    if (!found) return UtcReadings{local.seconds(), local.seconds()};
    TIME_ZONE_INFORMATION& zone = *found;
    // UTC = local time + bias, in minutes.
    const int64_t by_standard =
        local.seconds() + (zone.Bias + zone.StandardBias) * int64_t{60};
    const int64_t by_daylight =
        zone.DaylightDate.wMonth == 0
            ? by_standard
            : local.seconds() + (zone.Bias + zone.DaylightBias) * int64_t{60};
    return UtcReadings::Of(by_standard, Shows(zone, by_standard, local),
                           by_daylight, Shows(zone, by_daylight, local));
  }

  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

 private:
  // The zone's rules for `year`. The year's rules come from the registry,
  // which costs a hundred times a reading of the clocks, so they are kept
  // until the year or the machine's current zone or setting changes.
  TIME_ZONE_INFORMATION* RulesFor(int year) {
    DYNAMIC_TIME_ZONE_INFORMATION current;
    // Compared whole below, padding included.
    std::memset(&current, 0, sizeof current);
    if (::GetDynamicTimeZoneInformation(&current) == TIME_ZONE_ID_INVALID) {
      return nullptr;
    }
    if (rules_year_ != year ||
        std::memcmp(&current, &current_, sizeof current) != 0) {
      std::memcpy(&current_, &current, sizeof current);
      rules_year_ = year;
      // With dynamic daylight saving time disabled the system uses the
      // fixed transition dates of the current settings, every year; the
      // user's "Adjust for daylight saving time automatically" turned off
      // leaves none, and standard time all year. Nothing documents that
      // the year's rules know of that setting, so they are not asked.
      if (current.DynamicDaylightTimeDisabled ||
          !::GetTimeZoneInformationForYear(static_cast<USHORT>(year), nullptr,
                                           &rules_)) {
        rules_ = {};
        rules_.Bias = current.Bias;
        rules_.StandardDate = current.StandardDate;
        rules_.DaylightDate = current.DaylightDate;
        rules_.DaylightBias = current.DaylightBias;
        // Ignored without a StandardDate.
        if (current.StandardDate.wMonth != 0) {
          rules_.StandardBias = current.StandardBias;
        }
      }
    }
    return &rules_;
  }

  // Whether the zone's clock shows `local` at the UTC second `utc`.
  static bool Shows(TIME_ZONE_INFORMATION& zone, int64_t utc, DateTime local) {
    const SYSTEMTIME utc_time = ToSystemTime(DateTime::FromSeconds(utc));
    SYSTEMTIME shown;
    return ::SystemTimeToTzSpecificLocalTime(&zone, &utc_time, &shown) &&
           FromSystemTime(shown) == local;
  }

  DYNAMIC_TIME_ZONE_INFORMATION current_ = {};
  int rules_year_ = 0;
  TIME_ZONE_INFORMATION rules_ = {};
};

}  // namespace

std::unique_ptr<Clock> NewWin32Clock() {
  return std::make_unique<Win32Clock>();
}

}  // namespace zarn
