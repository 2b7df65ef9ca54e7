#include "testing/fake_shell.h"

#include "common/text.h"

namespace zarn {

void FakeShell::Associate(std::u16string_view document,
                          std::u16string_view program) {
  associations_.insert_or_assign(std::u16string(document),
                                 std::u16string(program));
}

std::u16string FakeShell::FindExecutable(std::u16string_view document) {
  lookups_.emplace_back(document);
  if (journal_) journal_->Record("find: " + Utf16ToUtf8(document));
  auto it = associations_.find(document);
  return it == associations_.end() ? std::u16string() : it->second;
}

uint32_t FakeShell::StartProcess(std::u16string_view command_line,
                                 ShowWindow show) {
  ++start_attempts_;
  if (journal_) journal_->Record("start: " + Utf16ToUtf8(command_line));
  if (start_error_ != 0) return start_error_;
  started_.push_back(StartedProcess{std::u16string(command_line), show});
  return 0;
}

}  // namespace zarn
