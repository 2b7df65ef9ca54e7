// Top-level windows by class and title (FindWindowA), and their owners.
#ifndef ZARN_PLATFORM_WINDOW_FINDER_H_
#define ZARN_PLATFORM_WINDOW_FINDER_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace zarn {

class WindowFinder {
 public:
  WindowFinder() = default;
  WindowFinder(const WindowFinder&) = delete;
  WindowFinder& operator=(const WindowFinder&) = delete;
  virtual ~WindowFinder() = default;

  // True when a top-level window of that class and title exists. Both are
  // compared whole but, as FindWindow does, ignoring letter case.
  virtual bool Exists(std::u16string_view class_name,
                      std::u16string_view title) = 0;
  // The process that owns the first such window (GetWindowThreadProcessId);
  // nullopt when there is none.
  virtual std::optional<uint32_t> OwnerProcessId(std::u16string_view class_name,
                                                 std::u16string_view title) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_WINDOW_FINDER_H_
