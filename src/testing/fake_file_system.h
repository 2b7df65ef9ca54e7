// An in-memory file system with Windows' rules where the logic meets them:
// names ignore letter case, a parent must exist before its folder is made,
// plain paths of 260 characters or more can't be read, nor plain folder
// paths of 248 or more be created, and the \\?\ and \\?\UNC\ long forms
// reach the same entries but take "." and ".." as names that can't exist.
// Records every folder creation and counts attribute queries, so tests can
// assert on the traffic.
#ifndef ZARN_TESTING_FAKE_FILE_SYSTEM_H_
#define ZARN_TESTING_FAKE_FILE_SYSTEM_H_

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace zarn {

class FakeFileSystem final : public FileSystem {
 public:
  std::optional<uint32_t> GetAttributes(std::u16string_view path) override;
  bool FindEntry(std::u16string_view path) override;
  bool CreateFolder(std::u16string_view path) override;
  std::optional<std::vector<uint8_t>> ReadFile(
      std::u16string_view path) override;
  // Resolves as GetFullPathNameW does, against the current folder; a
  // reserved name such as CON, in any folder, gives \\.\CON.
  std::optional<std::u16string> FullPath(std::u16string_view path) override;

  // The folder that relative paths are resolved against; C:\ at first.
  void set_current_folder(std::u16string folder) {
    current_folder_ = std::move(folder);
  }

  // Setup; parents are added as folders. None of these counts as traffic.
  void AddFolder(std::u16string_view path);
  void AddFile(std::u16string_view path, std::vector<uint8_t> bytes);
  void AddFile(std::u16string_view path, std::string_view bytes);
  // The file is there but can't be opened (locked, no permission).
  void AddUnreadableFile(std::u16string_view path);
  // Folder creation under this prefix fails (no permission, no drive).
  void DenyCreateUnder(std::u16string_view prefix);

  bool HasFolder(std::u16string_view path) const;
  bool HasFile(std::u16string_view path) const;

  // Every CreateFolder call in order, successful or not, as passed.
  const std::vector<std::u16string>& create_calls() const {
    return create_calls_;
  }
  const std::vector<std::u16string>& attribute_queries() const {
    return attribute_queries_;
  }
  int read_count() const { return read_count_; }
  void reset_traffic() {
    create_calls_.clear();
    attribute_queries_.clear();
    read_count_ = 0;
  }

 private:
  // The key of an entry, or empty when the path is not readable as given:
  // a plain path of `plain_limit` characters or more, or a long form with a
  // "." or ".." in it, which the system does not resolve there.
  static std::u16string Key(std::u16string_view path, size_t plain_limit = 260);
  // The key of an entry for setup, without the length limit.
  static std::u16string SetupKey(std::u16string_view path);
  static std::u16string Parent(const std::u16string& key);
  void AddParents(const std::u16string& key);

  std::map<std::u16string, std::vector<uint8_t>> files_;
  std::set<std::u16string> unreadable_;
  std::set<std::u16string> folders_;
  std::vector<std::u16string> denied_;
  std::vector<std::u16string> create_calls_;
  std::vector<std::u16string> attribute_queries_;
  int read_count_ = 0;
  std::u16string current_folder_ = u"C:\\";
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_FILE_SYSTEM_H_
