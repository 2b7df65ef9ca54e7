#include "watchdog/build_title.h"

#include "common/text.h"
#include "watchdog/version.h"

namespace zarn {

std::u16string BuildTitle() {
  return u"ZARN Daemon (Build: " + ToDecimal(ZARN_VERSION_MAJOR) + u"-" +
         ToDecimal(ZARN_VERSION_MINOR) + u"-" + ToDecimal(ZARN_VERSION_PATCH) +
         u")";
}

}  // namespace zarn
