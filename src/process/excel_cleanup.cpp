#include "process/excel_cleanup.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

#include "common/date_time.h"
#include "common/text.h"
#include "paths/helpers.h"
#include "process/process_control.h"

namespace zarn {
namespace {

// Excel's error reporters and its file converter, in the order they are
// ended: Windows Error Reporting, the older reporters of Windows and Office,
// the converter.
constexpr std::array<std::u16string_view, 4> kCompanions = {
    u"werfault.exe", u"dwwin.exe", u"dw20.exe", u"Excelcnv.exe"};

constexpr std::u16string_view kExcelWindowClass = u"XLMain";

// The text between an entry's parentheses as a 32-bit number, the way the
// checker's VB converts it: blanks around it and a sign are allowed, leading
// zeros too. nullopt for anything else and for numbers out of range.
std::optional<int64_t> ParseEntry(std::u16string_view text) {
  const std::u16string trimmed = TrimSpaces(text);
  std::u16string_view digits = trimmed;
  bool negative = false;
  if (!digits.empty() && (digits[0] == u'+' || digits[0] == u'-')) {
    negative = digits[0] == u'-';
    digits.remove_prefix(1);
  }
  // Past 2^31 it fits in neither direction.
  const std::optional<uint64_t> magnitude =
      ParseDecimal(digits, uint64_t{std::numeric_limits<int32_t>::max()} + 1);
  if (!magnitude) return std::nullopt;
  int64_t value = static_cast<int64_t>(*magnitude);
  if (negative) value = -value;
  if (value < std::numeric_limits<int32_t>::min() ||
      value > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return value;
}

std::u16string EntryOf(int64_t process_id) {
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on
  // u"(" + std::u16string&&.
  std::u16string entry(u"(");
  entry += ToDecimal(process_id);
  entry += u')';
  return entry;
}

// Removes every copy of `entry` that stands where an entry may begin: at the
// front or right after a ")". A copy inside a malformed entry stays, since
// cutting it out would join its neighbours into a new entry: "()" taken
// out of "(81()2)" would leave (812), a process nobody registered.
std::u16string RemoveEntries(std::u16string_view list,
                             std::u16string_view entry) {
  std::u16string out;
  out.reserve(list.size());
  size_t pos = 0;
  for (size_t hit = list.find(entry); hit != std::u16string_view::npos;
       hit = list.find(entry, hit + 1)) {
    if (hit < pos || (hit > 0 && list[hit - 1] != u')')) continue;
    out.append(list.substr(pos, hit - pos));
    pos = hit + entry.size();
  }
  out.append(list.substr(pos));
  return out;
}

}  // namespace

bool ExcelCleanUp::IsExcelWindowOpen(std::u16string_view caption) {
  // Without a caption there is no checker window to look for; asking with
  // an empty title would find no Excel, asking with none would find any.
  if (caption.empty()) return false;
  return windows_.Exists(kExcelWindowClass, caption);
}

std::vector<uint32_t> ExcelCleanUp::ProcessesToDump(
    std::u16string_view caption) {
  const uint32_t own = processes_.CurrentProcessId();
  std::vector<uint32_t> ids;
  auto add = [&](uint32_t id) {
    // 0 is no process of ours: GetWindowThreadProcessId's failure, or the
    // system's idle process.
    if (id != 0 && id != own &&
        std::find(ids.begin(), ids.end(), id) == ids.end()) {
      ids.push_back(id);
    }
  };
  if (!caption.empty()) {
    if (auto owner = windows_.OwnerProcessId(kExcelWindowClass, caption)) {
      add(*owner);
    }
  }
  // The entries the clean-up will take, front to back: it stops where the
  // list no longer starts with an entry.
  const std::u16string list = settings_.ReadSetting(settings::kProcessIds, u"");
  size_t at = 0;
  while (at < list.size() && list[at] == u'(') {
    const size_t close = list.find(u')', at);
    if (close == std::u16string::npos) break;
    const std::optional<int64_t> id =
        ParseEntry(std::u16string_view(list).substr(at + 1, close - at - 1));
    if (id && *id >= 0) add(static_cast<uint32_t>(*id));
    at = close + 1;
  }
  return ids;
}

void ExcelCleanUp::RemoveProcessID(int64_t process_id) {
  if (process_id == -1) process_id = processes_.CurrentProcessId();
  const std::u16string list = settings_.ReadSetting(settings::kProcessIds, u"");
  settings_.WriteSetting(settings::kProcessIds,
                         RemoveEntries(list, EntryOf(process_id)));
}

int64_t ExcelCleanUp::TakeFirstProcessID() {
  bool written = false;
  return TakeFirstProcessID(written);
}

int64_t ExcelCleanUp::TakeFirstProcessID(bool& written) {
  written = false;
  const std::u16string list = settings_.ReadSetting(settings::kProcessIds, u"");
  if (list.empty() || list[0] != u'(') return -1;
  const size_t close = list.find(u')');
  if (close == std::u16string::npos) return -1;

  // The entry's own text goes, whatever form its number has: (0812) would
  // otherwise stay at the front for ever.
  const std::u16string_view taken =
      std::u16string_view(list).substr(0, close + 1);
  std::u16string rest = RemoveEntries(list, taken);
  const std::optional<int64_t> id = ParseEntry(taken.substr(1, close - 1));
  const bool usable = id && *id >= 0;
  if (usable) rest = RemoveEntries(rest, EntryOf(*id));
  written = settings_.WriteSetting(settings::kProcessIds, rest);
  return usable ? *id : -2;
}

void ExcelCleanUp::KillRegisteredProcesses() {
  const uint32_t own = processes_.CurrentProcessId();
  for (;;) {
    bool written = false;
    const int64_t id = TakeFirstProcessID(written);
    if (id == -1) break;
    if (id >= 0 && static_cast<uint32_t>(id) != own) {
      KillProcess(processes_, static_cast<uint32_t>(id), 0);
    }
    // A store that refuses the shorter list would hand out the same entry
    // again and again.
    if (!written) break;
  }
}

void ExcelCleanUp::ResetLiveStatus() {
  settings_.WriteSetting(settings::kLiveStatusTime,
                         regional_.FormatDateTime(kNeverReported));
  settings_.WriteSetting(settings::kLiveStatus, u"");
}

std::u16string ExcelCleanUp::GetCurrentUserName() {
  if (kept_user_name_.empty()) kept_user_name_ = user_name_.ReadUserName();
  return kept_user_name_;
}

void ExcelCleanUp::KillProcessesByNameAndOwner(std::u16string_view exe_name,
                                               std::u16string_view user_name) {
  // The name goes into the query as it is; our companion names hold no
  // apostrophe.
  const std::u16string query =
      u"Select Name from Win32_Process Where Name = '" +
      std::u16string(exe_name) + u"'";
  const std::unique_ptr<WmiSession> session = wmi_.Connect();
  if (!session) return;
  const auto found = session->ExecQuery(query);
  if (!found) return;
  for (const WmiProcess& process : *found) {
    if (!user_name.empty()) {
      const auto owner = session->GetOwner(process.path);
      if (!owner || *owner != user_name) continue;
    }
    // Where WMI can't end it (Wine has no Win32_Process.Terminate), the
    // process is ended by its id like the registered ones.
    if (!session->Terminate(process.path) && process.process_id) {
      KillProcess(processes_, *process.process_id, 0);
    }
  }
}

void ExcelCleanUp::PrepareCleanUp() {
  GetCurrentUserName();
  wmi_.Connect();
}

void ExcelCleanUp::CleanUpExcel() {
  // Without our own name the owner filter lets everything through: on a
  // terminal server that would end the error reports of every other user's
  // Excel too. The checker's own processes are ended by id all the same.
  const std::u16string user_name = GetCurrentUserName();
  if (user_name.empty()) {
    TraceMessage(2,
                 u"Der Benutzername ist nicht lesbar: werfault.exe, "
                 u"dwwin.exe, dw20.exe und Excelcnv.exe werden nicht beendet.",
                 0, 0, 0, 0);
  } else {
    for (std::u16string_view companion : kCompanions) {
      KillProcessesByNameAndOwner(companion, user_name);
    }
  }
  KillRegisteredProcesses();
  ResetLiveStatus();
}

}  // namespace zarn
