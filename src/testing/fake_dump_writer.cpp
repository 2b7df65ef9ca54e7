#include "testing/fake_dump_writer.h"

#include <algorithm>

#include "common/text.h"

namespace zarn {
namespace {

std::u16string FolderKey(std::u16string_view folder) {
  std::u16string key = ToLower(folder);
  while (!key.empty() && key.back() == u'\\') key.pop_back();
  return key;
}

// The folder part of a path and its name.
std::pair<std::u16string, std::u16string> Split(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  if (slash == std::u16string_view::npos) return {u"", std::u16string(path)};
  return {std::u16string(path.substr(0, slash)),
          std::u16string(path.substr(slash + 1))};
}

}  // namespace

DumpOutcome FakeDumpWriter::WriteDump(uint32_t process_id,
                                      std::u16string_view path,
                                      uint32_t budget_ms) {
  requests_.push_back({process_id, std::u16string(path), budget_ms});
  if (on_dump_) on_dump_(process_id);
  Dump dump{{DumpStatus::kWritten, 0}, default_ms_};
  if (auto it = dumps_.find(process_id); it != dumps_.end()) dump = it->second;
  if (dump.ms > static_cast<int64_t>(budget_ms)) {
    clock_->Advance(budget_ms);
    return {DumpStatus::kTimedOut, 0};
  }
  clock_->Advance(dump.ms);
  if (dump.outcome.status != DumpStatus::kWritten) return dump.outcome;
  // The real file is created new; one of that name stays as it is.
  if (HasFile(path)) return {DumpStatus::kNoFile, 80};
  AddFile(path);
  return dump.outcome;
}

std::optional<uint64_t> FakeDumpWriter::FreeBytes(std::u16string_view folder) {
  ++free_space_queries_;
  if (auto it = free_bytes_.find(FolderKey(folder)); it != free_bytes_.end()) {
    return it->second;
  }
  return uint64_t{100} << 30;
}

std::optional<std::vector<std::u16string>> FakeDumpWriter::ListFiles(
    std::u16string_view folder) {
  // The system gives no order; backwards catches a reader that relies on
  // one.
  std::vector<std::u16string> names = FilesIn(folder);
  std::reverse(names.begin(), names.end());
  return names;
}

bool FakeDumpWriter::RemoveFile(std::u16string_view path) {
  if (files_.erase(ToLower(path)) == 0) return false;
  removed_.emplace_back(path);
  return true;
}

void FakeDumpWriter::SetFreeBytes(std::u16string folder,
                                  std::optional<uint64_t> bytes) {
  free_bytes_[FolderKey(folder)] = bytes;
}

void FakeDumpWriter::AddFile(std::u16string_view path) {
  files_[ToLower(path)] = std::u16string(path);
}

bool FakeDumpWriter::HasFile(std::u16string_view path) const {
  return files_.count(ToLower(path)) != 0;
}

std::vector<std::u16string> FakeDumpWriter::FilesIn(
    std::u16string_view folder) const {
  std::vector<std::u16string> names;
  const std::u16string key = FolderKey(folder);
  for (const auto& [lower, path] : files_) {
    auto [parent, name] = Split(path);
    if (FolderKey(parent) == key) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zarn
