#include "testing/fake_file_system.h"

#include "common/text.h"

namespace zarn {

std::u16string FakeFileSystem::Key(std::u16string_view path) {
  // MAX_PATH counts the terminating NUL.
  if (path.size() >= 260 && !StartsWith(path, u"\\\\?\\")) return {};
  return SetupKey(path);
}

std::u16string FakeFileSystem::SetupKey(std::u16string_view path) {
  if (path.empty()) return {};
  std::u16string key;
  if (StartsWith(path, u"\\\\?\\UNC\\")) {
    key = u"\\\\" + std::u16string(path.substr(8));
  } else if (StartsWith(path, u"\\\\?\\")) {
    key = std::u16string(path.substr(4));
  } else {
    key = std::u16string(path);
  }
  while (key.size() > 1 && key.back() == u'\\') key.pop_back();
  return ToUpper(key);
}

std::u16string FakeFileSystem::Parent(const std::u16string& key) {
  const size_t slash = key.rfind(u'\\');
  if (slash == std::u16string::npos || slash == 0) return {};
  return key.substr(0, slash);
}

void FakeFileSystem::AddParents(const std::u16string& key) {
  for (std::u16string parent = Parent(key);
       !parent.empty() && parent != u"\\" && parent != u"\\\\";
       parent = Parent(parent)) {
    folders_.insert(parent);
  }
}

void FakeFileSystem::AddFolder(std::u16string_view path) {
  const std::u16string key = SetupKey(path);
  folders_.insert(key);
  AddParents(key);
}

void FakeFileSystem::AddFile(std::u16string_view path,
                             std::vector<uint8_t> bytes) {
  const std::u16string key = SetupKey(path);
  files_[key] = std::move(bytes);
  AddParents(key);
}

void FakeFileSystem::AddFile(std::u16string_view path, std::string_view bytes) {
  AddFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

void FakeFileSystem::AddUnreadableFile(std::u16string_view path) {
  AddFile(path, std::vector<uint8_t>{});
  unreadable_.insert(SetupKey(path));
}

void FakeFileSystem::DenyCreateUnder(std::u16string_view prefix) {
  denied_.push_back(SetupKey(prefix));
}

bool FakeFileSystem::HasFolder(std::u16string_view path) const {
  return folders_.count(SetupKey(path)) > 0;
}

bool FakeFileSystem::HasFile(std::u16string_view path) const {
  return files_.count(SetupKey(path)) > 0;
}

std::optional<uint32_t> FakeFileSystem::GetAttributes(
    std::u16string_view path) {
  attribute_queries_.emplace_back(path);
  const std::u16string key = Key(path);
  if (key.empty()) return std::nullopt;
  if (folders_.count(key)) return kAttributeDirectory;
  // A trailing backslash names a folder only.
  if (files_.count(key) && !path.ends_with(u'\\')) return 0x20u;  // ARCHIVE
  return std::nullopt;
}

bool FakeFileSystem::FindEntry(std::u16string_view path) {
  // A directory search for "C:\A\" lists nothing; the name must be exact.
  if (path.ends_with(u'\\')) return false;
  const std::u16string key = Key(path);
  if (key.empty()) return false;
  return folders_.count(key) > 0 || files_.count(key) > 0;
}

bool FakeFileSystem::CreateFolder(std::u16string_view path) {
  create_calls_.emplace_back(path);
  const std::u16string key = Key(path);
  if (key.empty() || folders_.count(key) || files_.count(key)) return false;
  for (const std::u16string& prefix : denied_) {
    if (StartsWith(key, prefix)) return false;
  }
  // Drive roots such as C: exist once anything on them was added.
  const std::u16string parent = Parent(key);
  if (parent.empty() || !folders_.count(parent)) return false;
  folders_.insert(key);
  return true;
}

std::optional<std::vector<uint8_t>> FakeFileSystem::ReadFile(
    std::u16string_view path) {
  ++read_count_;
  const std::u16string key = Key(path);
  auto it = files_.find(key);
  if (it == files_.end() || unreadable_.count(key)) return std::nullopt;
  return it->second;
}

}  // namespace zarn
