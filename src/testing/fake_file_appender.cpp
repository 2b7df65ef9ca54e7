#include "testing/fake_file_appender.h"

#include "common/text.h"

namespace zarn {

AppendResult FakeFileAppender::Append(std::u16string_view path,
                                      std::string_view bytes) {
  ++attempts_;
  if (journal_) journal_->Record("append: " + Utf16ToUtf8(path));
  if (failing_opens_ != 0) {
    if (failing_opens_ > 0) --failing_opens_;
    return AppendResult::kOpenFailed;
  }
  // CreateFileW can't open a plain path of MAX_PATH characters or more.
  if (path.size() >= 260 && !StartsWith(path, u"\\\\?\\")) {
    return AppendResult::kOpenFailed;
  }
  // The open creates the file, so a failed write still leaves it behind.
  std::string& file = files_[std::u16string(path)];
  if (fail_writes_) return AppendResult::kWriteFailed;
  file.append(bytes);
  return AppendResult::kWritten;
}

void FakeFileAppender::SetFile(std::u16string_view path, std::string bytes) {
  files_.insert_or_assign(std::u16string(path), std::move(bytes));
}

std::optional<std::string> FakeFileAppender::File(
    std::u16string_view path) const {
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

}  // namespace zarn
