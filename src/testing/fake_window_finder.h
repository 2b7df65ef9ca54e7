// Top-level windows as a list of class and title, found as FindWindow finds
// them (ignoring letter case); records every question.
#ifndef ZARN_TESTING_FAKE_WINDOW_FINDER_H_
#define ZARN_TESTING_FAKE_WINDOW_FINDER_H_

#include <string>
#include <utility>
#include <vector>

#include "platform/window_finder.h"

namespace zarn {

class FakeWindowFinder final : public WindowFinder {
 public:
  bool Exists(std::u16string_view class_name,
              std::u16string_view title) override;

  void AddWindow(std::u16string class_name, std::u16string title) {
    windows_.emplace_back(std::move(class_name), std::move(title));
  }
  void Clear() { windows_.clear(); }
  // Class and title of each Exists call, in order.
  const std::vector<std::pair<std::u16string, std::u16string>>& queries()
      const {
    return queries_;
  }

 private:
  std::vector<std::pair<std::u16string, std::u16string>> windows_;
  std::vector<std::pair<std::u16string, std::u16string>> queries_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_WINDOW_FINDER_H_
