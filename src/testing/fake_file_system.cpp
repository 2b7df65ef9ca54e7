#include "testing/fake_file_system.h"

#include <vector>

#include "common/text.h"

namespace zarn {

namespace {

// The pieces of a path between its backslashes.
std::vector<std::u16string_view> Segments(std::u16string_view path) {
  std::vector<std::u16string_view> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    segments.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return segments;
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, in any letter case.
bool IsReservedName(std::u16string_view name) {
  const std::u16string upper = ToUpper(name);
  if (upper == u"CON" || upper == u"PRN" || upper == u"AUX" ||
      upper == u"NUL") {
    return true;
  }
  return upper.size() == 4 &&
         (StartsWith(upper, u"COM") || StartsWith(upper, u"LPT")) &&
         upper[3] >= u'1' && upper[3] <= u'9';
}

}  // namespace

std::u16string FakeFileSystem::Key(std::u16string_view path,
                                   size_t plain_limit) {
  if (!StartsWith(path, u"\\\\?\\")) {
    // MAX_PATH counts the terminating NUL.
    if (path.size() >= plain_limit) return {};
  } else {
    for (std::u16string_view segment : Segments(path.substr(4))) {
      if (segment == u"." || segment == u"..") return {};
    }
  }
  return SetupKey(path);
}

std::optional<std::u16string> FakeFileSystem::FullPath(
    std::u16string_view path) {
  if (path.empty()) return std::nullopt;
  std::u16string text(path);
  for (char16_t& c : text) {
    if (c == u'/') c = u'\\';
  }
  if (StartsWith(text, u"\\\\?\\")) return text;
  if (!StartsWith(text, u"\\\\")) {
    // A reserved name in the last place names the device, in any folder and
    // with any extension: C:\Logs\con.log gives \\.\con (Windows 10).
    std::u16string_view name(text);
    name.remove_prefix(name.find_last_of(u"\\:") + 1);
    name = name.substr(0, name.find(u'.'));
    while (name.ends_with(u' ')) name.remove_suffix(1);
    if (IsReservedName(name)) return u"\\\\.\\" + std::u16string(name);
  }
  // The root that ".." never climbs above, and the rest below it.
  std::u16string root;
  std::u16string rest;
  if (StartsWith(text, u"\\\\")) {
    // \\server\share
    size_t end = text.find(u'\\', 2);
    if (end != std::u16string::npos) end = text.find(u'\\', end + 1);
    if (end == std::u16string::npos) end = text.size();
    root = text.substr(0, end);
    rest = text.substr(end);
  } else if (text.size() >= 2 && text[1] == u':') {
    root = text.substr(0, 2);
    rest = text.substr(2);
  } else if (text[0] == u'\\') {
    root = current_folder_.substr(0, 2);
    rest = text;
  } else {
    root = current_folder_.substr(0, 2);
    rest = current_folder_.substr(2) + u"\\" + text;
  }
  std::vector<std::u16string_view> kept;
  for (std::u16string_view segment : Segments(rest)) {
    if (segment.empty() || segment == u".") continue;
    if (segment == u"..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(segment);
  }
  std::u16string full = root;
  for (std::u16string_view segment : kept) {
    full += u'\\';
    full += segment;
  }
  if ((kept.empty() && !StartsWith(root, u"\\\\")) || text.back() == u'\\') {
    if (full.back() != u'\\') full += u'\\';
  }
  return full;
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
  // CreateDirectoryW keeps room for an 8.3 name: MAX_PATH - 12.
  const std::u16string key = Key(path, 248);
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
