// A shell with a table of file associations that records the programs it
// is asked to start instead of starting them.
#ifndef ZARN_TESTING_FAKE_SHELL_H_
#define ZARN_TESTING_FAKE_SHELL_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "testing/event_journal.h"

namespace zarn {

struct StartedProcess {
  std::u16string command_line;
  ShowWindow show = ShowWindow::kNormal;
};

class FakeShell final : public Shell {
 public:
  // The association of one document, as FindExecutable gives it (blanks
  // around it included).
  void Associate(std::u16string_view document, std::u16string_view program);
  // Every later StartProcess fails with `error` (0 lets them succeed) and
  // records nothing.
  void set_start_error(uint32_t error) { start_error_ = error; }
  // Records "find: <document>" and "start: <command line>".
  void set_journal(EventJournal* journal) { journal_ = journal; }

  std::u16string FindExecutable(std::u16string_view document) override;
  uint32_t StartProcess(std::u16string_view command_line,
                        ShowWindow show) override;

  const std::vector<std::u16string>& lookups() const { return lookups_; }
  const std::vector<StartedProcess>& started() const { return started_; }
  int start_attempts() const { return start_attempts_; }

 private:
  std::map<std::u16string, std::u16string, std::less<>> associations_;
  uint32_t start_error_ = 0;
  EventJournal* journal_ = nullptr;
  std::vector<std::u16string> lookups_;
  std::vector<StartedProcess> started_;
  int start_attempts_ = 0;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_SHELL_H_
