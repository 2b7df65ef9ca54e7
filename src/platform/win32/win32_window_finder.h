// Top-level windows through FindWindowA.
#ifndef ZARN_PLATFORM_WIN32_WIN32_WINDOW_FINDER_H_
#define ZARN_PLATFORM_WIN32_WIN32_WINDOW_FINDER_H_

#include <memory>

#include "platform/window_finder.h"

namespace zarn {

// Class and title go to FindWindowA in the ANSI code page, as the checker's
// Excel knows its own caption.
std::unique_ptr<WindowFinder> NewWin32WindowFinder();

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_WINDOW_FINDER_H_
