#include "paths/unc.h"

#include "common/text.h"

namespace zarn {

std::u16string Unc::ToDrivePath(std::u16string_view path) {
  if (path.size() >= 2 && path[1] == u':') return std::u16string(path);
  if (!built_) BuildDriveMap();
  return UncToDrivePath(path);
}

void Unc::BuildDriveMap() {
  if (built_) return;
  // Set before the enumeration: the map is built at most once per process,
  // whatever the queries find, and never refreshed.
  built_ = true;
  drive_count_ = 0;
  for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
    std::u16string unc_name;
    const std::u16string local_name{letter, u':'};
    if (GetUncName(local_name, unc_name) != 0) continue;
    // An empty root would prefix every path and turn it into "A:" + path.
    if (unc_name.empty()) continue;
    drive_roots_[drive_count_] = ToUpper(unc_name);
    drive_letters_[drive_count_] = std::u16string(1, letter);
    ++drive_count_;
  }
}

std::u16string Unc::UncToDrivePath(std::u16string_view path) const {
  const std::u16string upper_path = ToUpper(path);
  for (int i = 0; i < drive_count_; ++i) {
    const std::u16string& root = drive_roots_[i];
    // A plain prefix test: no separator is required after the root, and the
    // lowest letter wins even where a later root is longer.
    if (StartsWith(upper_path, root)) {
      return drive_letters_[i] + u":" +
             std::u16string(path.substr(root.size()));
    }
  }
  return std::u16string(path);
}

int32_t Unc::GetUncName(std::u16string_view local_name,
                        std::u16string& unc_name) {
  std::u16string remote;
  const int32_t result = drives_.GetConnection(local_name, remote);
  if (result != 0) return result;
  // The provider's buffer ends at its first NUL.
  const size_t nul = remote.find(u'\0');
  if (nul != std::u16string::npos) remote.resize(nul);
  unc_name = std::move(remote);
  return 0;
}

}  // namespace zarn
