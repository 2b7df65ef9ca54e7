// The name of the user the daemon runs as (GetUserNameA).
#ifndef ZARN_PLATFORM_USER_NAME_H_
#define ZARN_PLATFORM_USER_NAME_H_

#include <string>

namespace zarn {

class UserNameSource {
 public:
  UserNameSource() = default;
  UserNameSource(const UserNameSource&) = delete;
  UserNameSource& operator=(const UserNameSource&) = delete;
  virtual ~UserNameSource() = default;

  // The user name without domain, read into a buffer of the platform's
  // full user-name length. Empty when it can't be read. (Not GetUserName:
  // windows.h would rename that to GetUserNameW in some files only.)
  virtual std::u16string ReadUserName() = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_USER_NAME_H_
