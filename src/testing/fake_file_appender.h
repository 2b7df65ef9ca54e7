// Files as byte strings in memory, by the path as given. Opens can be made
// to fail a number of times, as a file held open without sharing by another
// process would; a plain path of 260 characters or more never opens.
#ifndef ZARN_TESTING_FAKE_FILE_APPENDER_H_
#define ZARN_TESTING_FAKE_FILE_APPENDER_H_

#include <map>
#include <optional>
#include <string>

#include "platform/file_appender.h"
#include "testing/event_journal.h"

namespace zarn {

class FakeFileAppender final : public FileAppender {
 public:
  AppendResult Append(std::u16string_view path,
                      std::string_view bytes) override;

  // The next `count` opens fail (kOpenFailed); a negative count fails every
  // open from now on.
  void FailOpens(int count) { failing_opens_ = count; }
  // Opens succeed but every write fails (kWriteFailed).
  void set_fail_writes(bool fail) { fail_writes_ = fail; }
  // Records "append: <path>" for each attempt.
  void set_journal(EventJournal* journal) { journal_ = journal; }

  void SetFile(std::u16string_view path, std::string bytes);
  // The bytes of a file, nullopt when it was never created.
  std::optional<std::string> File(std::u16string_view path) const;
  int attempts() const { return attempts_; }

 private:
  std::map<std::u16string, std::string, std::less<>> files_;
  int failing_opens_ = 0;
  bool fail_writes_ = false;
  int attempts_ = 0;
  EventJournal* journal_ = nullptr;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_FILE_APPENDER_H_
