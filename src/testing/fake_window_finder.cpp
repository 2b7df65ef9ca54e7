#include "testing/fake_window_finder.h"

namespace zarn {

bool FakeWindowFinder::Exists(std::u16string_view class_name,
                              std::u16string_view title) {
  queries_.emplace_back(std::u16string(class_name), std::u16string(title));
  for (const auto& [window_class, window_title] : windows_) {
    if (window_class == class_name && window_title == title) return true;
  }
  return false;
}

}  // namespace zarn
