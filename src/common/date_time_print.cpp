// PrintTo in a file of its own: only the tests use it, and a program that
// links it takes the whole of the standard library's stream and locale
// code along (0.6 MB in ZARNDaemon.exe). From a static library, a program
// links this file only when it calls PrintTo.
#include <cstdio>
#include <ostream>

#include "common/date_time.h"

namespace zarn {

void PrintTo(const DateTime& when, std::ostream* os) {
  const CivilTime c = when.ToCivil();
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", c.year,
                c.month, c.day, c.hour, c.minute, c.second);
  *os << buffer;
}

}  // namespace zarn
