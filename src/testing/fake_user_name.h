// A user name that a test sets; counts how often it was asked.
#ifndef ZARN_TESTING_FAKE_USER_NAME_H_
#define ZARN_TESTING_FAKE_USER_NAME_H_

#include <string>
#include <utility>

#include "platform/user_name.h"

namespace zarn {

class FakeUserNameSource final : public UserNameSource {
 public:
  explicit FakeUserNameSource(std::u16string name = u"anna")
      : name_(std::move(name)) {}

  std::u16string ReadUserName() override {
    ++call_count_;
    return name_;
  }

  void set_name(std::u16string name) { name_ = std::move(name); }
  int call_count() const { return call_count_; }

 private:
  std::u16string name_;
  int call_count_ = 0;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_USER_NAME_H_
