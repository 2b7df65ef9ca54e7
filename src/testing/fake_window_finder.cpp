#include "testing/fake_window_finder.h"

#include "common/text.h"

namespace zarn {

const FakeWindowFinder::Window* FakeWindowFinder::Find(
    std::u16string_view class_name, std::u16string_view title) const {
  for (const Window& window : windows_) {
    if (EqualsIgnoreCase(window.class_name, class_name) &&
        EqualsIgnoreCase(window.title, title)) {
      return &window;
    }
  }
  return nullptr;
}

bool FakeWindowFinder::Exists(std::u16string_view class_name,
                              std::u16string_view title) {
  queries_.emplace_back(std::u16string(class_name), std::u16string(title));
  return Find(class_name, title) != nullptr;
}

std::optional<uint32_t> FakeWindowFinder::OwnerProcessId(
    std::u16string_view class_name, std::u16string_view title) {
  queries_.emplace_back(std::u16string(class_name), std::u16string(title));
  const Window* window = Find(class_name, title);
  if (!window) return std::nullopt;
  return window->owner;
}

}  // namespace zarn
