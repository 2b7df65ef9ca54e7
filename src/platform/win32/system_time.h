// Our whole-second date-times as Win32 SYSTEMTIME and back, at the
// boundary; the milliseconds are dropped.
#ifndef ZARN_PLATFORM_WIN32_SYSTEM_TIME_H_
#define ZARN_PLATFORM_WIN32_SYSTEM_TIME_H_

#include <windows.h>

#include "common/date_time.h"

namespace zarn::win32 {

inline SYSTEMTIME ToSystemTime(DateTime when) {
  const CivilTime c = when.ToCivil();
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(c.year);
  st.wMonth = static_cast<WORD>(c.month);
  st.wDay = static_cast<WORD>(c.day);
  st.wHour = static_cast<WORD>(c.hour);
  st.wMinute = static_cast<WORD>(c.minute);
  st.wSecond = static_cast<WORD>(c.second);
  return st;
}

inline DateTime FromSystemTime(const SYSTEMTIME& st) {
  return DateTime::FromCivil(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                             st.wSecond);
}

}  // namespace zarn::win32

#endif  // ZARN_PLATFORM_WIN32_SYSTEM_TIME_H_
