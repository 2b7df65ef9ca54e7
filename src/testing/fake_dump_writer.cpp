#include "testing/fake_dump_writer.h"

#include <algorithm>

#include "common/text.h"

namespace zarn {
namespace {

std::u16string Key(std::u16string_view path) {
  std::u16string key = ToLower(path);
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

// `path` is `folder` or lies below it.
bool Within(const std::u16string& path_key, const std::u16string& folder_key) {
  return path_key == folder_key ||
         StartsWith(path_key, folder_key + std::u16string(1, u'\\'));
}

}  // namespace

class FakeDumpWriter::Calls final : public DumpCalls {
 public:
  explicit Calls(FakeDumpWriter& writer) : writer_(writer) {}
  bool GivenUp() const override { return writer_.given_up_; }
  bool IsFolder(std::u16string_view path) override {
    return writer_.IsFolder(path);
  }
  void MakeFolder(std::u16string_view path) override {
    writer_.MakeFolder(path);
  }
  std::optional<uint64_t> FreeBytes(std::u16string_view folder) override {
    return writer_.FreeBytes(folder);
  }
  std::optional<std::vector<std::u16string>> ListFiles(
      std::u16string_view folder) override {
    return writer_.ListFiles(folder);
  }
  DumpOutcome WriteDump(uint32_t process_id,
                        std::u16string_view path) override {
    return writer_.WriteDump(process_id, path);
  }
  bool RemoveFile(std::u16string_view path) override {
    return writer_.RemoveFile(path);
  }

 private:
  FakeDumpWriter& writer_;
};

FakeDumpWriter::FakeDumpWriter(FakeClock* clock)
    : clock_(clock), calls_(std::make_unique<Calls>(*this)) {}

FakeDumpWriter::~FakeDumpWriter() = default;

bool FakeDumpWriter::Run(uint32_t budget_ms,
                         std::function<void(DumpCalls&)> job) {
  runs_.push_back(budget_ms);
  deadline_ms_ = clock_->elapsed_ms() + budget_ms;
  given_up_ = false;
  job(*calls_);
  return !given_up_;
}

bool FakeDumpWriter::Spend(int64_t ms) {
  if (given_up_) return false;
  const int64_t now = clock_->elapsed_ms();
  if (now + ms > deadline_ms_) {
    clock_->Advance(deadline_ms_ - now);
    given_up_ = true;
    return false;
  }
  clock_->Advance(ms);
  return true;
}

int64_t FakeDumpWriter::CallMs(std::u16string_view path) const {
  const std::u16string key = Key(path);
  int64_t ms = 0;
  for (const auto& [folder, folder_ms] : call_ms_) {
    if (Within(key, folder)) ms = folder_ms;
  }
  return ms;
}

bool FakeDumpWriter::IsFolder(std::u16string_view path) {
  return Spend(CallMs(path)) && folders_.count(Key(path)) != 0;
}

void FakeDumpWriter::MakeFolder(std::u16string_view path) {
  if (!Spend(CallMs(path))) return;
  const std::u16string key = Key(path);
  for (const std::u16string& denied : denied_) {
    if (StartsWith(key, denied + std::u16string(1, u'\\'))) return;
  }
  if (files_.count(key) == 0) folders_.insert(key);
}

std::optional<uint64_t> FakeDumpWriter::FreeBytes(std::u16string_view folder) {
  ++free_space_queries_;
  if (!Spend(CallMs(folder))) return std::nullopt;
  if (auto it = free_bytes_.find(Key(folder)); it != free_bytes_.end()) {
    return it->second;
  }
  return uint64_t{100} << 30;
}

std::optional<std::vector<std::u16string>> FakeDumpWriter::ListFiles(
    std::u16string_view folder) {
  if (!Spend(CallMs(folder)) || !HasFolder(folder)) return std::nullopt;
  // The system gives no order; backwards catches a reader that relies on
  // one.
  std::vector<std::u16string> names = FilesIn(folder);
  std::reverse(names.begin(), names.end());
  return names;
}

DumpOutcome FakeDumpWriter::WriteDump(uint32_t process_id,
                                      std::u16string_view path) {
  requests_.push_back({process_id, std::u16string(path)});
  if (on_dump_) on_dump_(process_id);
  Dump dump{{DumpStatus::kWritten, 0}, default_ms_};
  if (auto it = dumps_.find(process_id); it != dumps_.end()) dump = it->second;
  if (!Spend(CallMs(path) + dump.ms)) return {DumpStatus::kTimedOut, 0};
  if (dump.outcome.status != DumpStatus::kWritten) return dump.outcome;
  // The real file is created new; one of that name stays as it is.
  if (HasFile(path)) return {DumpStatus::kNoFile, 80};
  if (!HasFolder(Split(path).first)) return {DumpStatus::kNoFile, 3};
  AddFile(path);
  return dump.outcome;
}

bool FakeDumpWriter::RemoveFile(std::u16string_view path) {
  if (!given_up_ && !Spend(CallMs(path))) return false;
  const auto it = files_.find(ToLower(path));
  if (it == files_.end()) return false;
  if (!anyone_may_delete_ && !EqualsIgnoreCase(it->second.owner, owner_.user)) {
    return false;
  }
  files_.erase(it);
  removed_.emplace_back(path);
  return true;
}

void FakeDumpWriter::SetFreeBytes(std::u16string folder,
                                  std::optional<uint64_t> bytes) {
  free_bytes_[Key(folder)] = bytes;
}

void FakeDumpWriter::SetCallMs(std::u16string_view path, int64_t ms) {
  call_ms_[Key(path)] = ms;
}

void FakeDumpWriter::AddFolder(std::u16string_view path) {
  folders_.insert(Key(path));
}

bool FakeDumpWriter::HasFolder(std::u16string_view path) const {
  return folders_.count(Key(path)) != 0;
}

void FakeDumpWriter::DenyCreateUnder(std::u16string_view path) {
  denied_.push_back(Key(path));
}

void FakeDumpWriter::AddFile(std::u16string_view path, std::u16string owner) {
  files_[ToLower(path)] =
      File{std::u16string(path), owner.empty() ? owner_.user : owner};
}

bool FakeDumpWriter::HasFile(std::u16string_view path) const {
  return files_.count(ToLower(path)) != 0;
}

std::vector<std::u16string> FakeDumpWriter::FilesIn(
    std::u16string_view folder) const {
  std::vector<std::u16string> names;
  const std::u16string key = Key(folder);
  for (const auto& [lower, file] : files_) {
    auto [parent, name] = Split(file.path);
    if (Key(parent) == key) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zarn
