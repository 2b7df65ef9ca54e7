// Top-level windows as a list of class and title, found as FindWindow finds
// them (ignoring letter case), with the process that owns each; records
// every question.
#ifndef ZARN_TESTING_FAKE_WINDOW_FINDER_H_
#define ZARN_TESTING_FAKE_WINDOW_FINDER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window_finder.h"

namespace zarn {

class FakeWindowFinder final : public WindowFinder {
 public:
  bool Exists(std::u16string_view class_name,
              std::u16string_view title) override;

  std::optional<uint32_t> OwnerProcessId(std::u16string_view class_name,
                                         std::u16string_view title) override;

  // A window of process `owner` (0: of no process the test cares about).
  void AddWindow(std::u16string class_name, std::u16string title,
                 uint32_t owner = 0) {
    windows_.push_back({std::move(class_name), std::move(title), owner});
  }
  void Clear() { windows_.clear(); }
  // Class and title of each Exists call, in order.
  const std::vector<std::pair<std::u16string, std::u16string>>& queries()
      const {
    return queries_;
  }

 private:
  struct Window {
    std::u16string class_name;
    std::u16string title;
    uint32_t owner = 0;
  };
  const Window* Find(std::u16string_view class_name,
                     std::u16string_view title) const;

  std::vector<Window> windows_;
  std::vector<std::pair<std::u16string, std::u16string>> queries_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_WINDOW_FINDER_H_
