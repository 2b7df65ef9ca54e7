// Regional conversions through OLE Automation and the NLS API, with the
// user's regional settings (LOCALE_USER_DEFAULT).
#ifndef ZARN_PLATFORM_WIN32_WIN32_REGIONAL_H_
#define ZARN_PLATFORM_WIN32_WIN32_REGIONAL_H_

#include <memory>

#include "platform/regional.h"

namespace zarn {

std::unique_ptr<Regional> NewWin32Regional();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_REGIONAL_H_
