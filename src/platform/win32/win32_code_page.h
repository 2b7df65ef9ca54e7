// Code-page conversion through MultiByteToWideChar and WideCharToMultiByte.
#ifndef ZARN_PLATFORM_WIN32_WIN32_CODE_PAGE_H_
#define ZARN_PLATFORM_WIN32_WIN32_CODE_PAGE_H_

#include <memory>

#include "platform/code_page.h"

namespace zarn {

std::unique_ptr<CodePageConverter> NewWin32CodePageConverter();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_CODE_PAGE_H_
