#include "process/hang_dump.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "common/text.h"

namespace zarn {
namespace {

constexpr std::u16string_view kPrefix = u"ZARN_";
constexpr std::u16string_view kPidMark = u"_PID";
constexpr std::u16string_view kExtension = u".dmp";
// "2026-12-07_09-05-03": the digits and separators after the prefix.
constexpr std::u16string_view kStampForm = u"0000-00-00_00-00-00";
// A process id has at most ten decimal digits.
constexpr size_t kMaxIdDigits = 10;

// The error as the system's documentation writes it: small codes in
// decimal, HRESULTs in hexadecimal.
std::u16string ErrorText(uint32_t error) {
  if (error < 0x10000) return ToDecimal(error);
  std::u16string text = u"0x";
  for (int shift = 28; shift >= 0; shift -= 4) {
    text += u"0123456789ABCDEF"[(error >> shift) & 0xF];
  }
  return text;
}

// "Die 10 Sekunden für die Dumps sind <what>": the budget of one restart.
std::u16string BudgetSpent(std::u16string_view what) {
  return Concat({u"Die ", ToDecimal(kDumpBudgetMs / 1000),
                 u" Sekunden für die Dumps sind ", what});
}

std::u16string NoDump(uint32_t process_id, std::u16string_view reason) {
  return Concat(
      {u"ZARND: Kein Dump von Prozess ", ToDecimal(process_id), u": ", reason});
}

// The process id in a dump's name: up to ten digits, so more than 32 bits
// may stand there.
std::optional<uint64_t> IdOf(std::u16string_view digits) {
  return ParseDecimal(digits, std::numeric_limits<uint64_t>::max());
}

// Our dumps in the order of their names' time, then their process ids.
struct DumpName {
  std::u16string stamp;
  uint64_t process_id = 0;
  std::u16string name;
  bool operator<(const DumpName& other) const {
    if (stamp != other.stamp) return stamp < other.stamp;
    return process_id < other.process_id;
  }
};

}  // namespace

std::u16string DumpFileName(DateTime local, uint32_t process_id) {
  return Concat({kPrefix, FormatDateTime(local, u'-', u'_', u'-'), kPidMark,
                 ToDecimal(process_id), kExtension});
}

bool IsOurDumpName(std::u16string_view name) {
  const size_t fixed = kPrefix.size() + kStampForm.size() + kPidMark.size();
  if (name.size() < fixed + 1 + kExtension.size()) return false;
  if (!EqualsIgnoreCase(name.substr(0, kPrefix.size()), kPrefix)) return false;
  const std::u16string_view stamp =
      name.substr(kPrefix.size(), kStampForm.size());
  for (size_t i = 0; i < kStampForm.size(); ++i) {
    const bool digit_wanted = kStampForm[i] == u'0';
    if (digit_wanted ? !IsAsciiDigit(stamp[i]) : stamp[i] != kStampForm[i]) {
      return false;
    }
  }
  if (!EqualsIgnoreCase(
          name.substr(kPrefix.size() + kStampForm.size(), kPidMark.size()),
          kPidMark)) {
    return false;
  }
  std::u16string_view rest = name.substr(fixed);
  if (!EndsWithIgnoreCase(rest, kExtension)) return false;
  rest.remove_suffix(kExtension.size());
  return rest.size() <= kMaxIdDigits && IdOf(rest).has_value();
}

std::optional<int> ParseDumpMax(std::u16string_view text) {
  return ParseCount(text, kDumpMaxLargest);
}

std::vector<std::u16string> HangDump::ReadKeys(const ConfigSection& section) {
  const std::u16string folder = section.GetValue(u"DUMPPFAD");
  if (!folder.empty()) folder_ = helpers_.ResolveFolder(u"", folder);
  const std::u16string max = section.GetValue(u"DUMPMAX");
  if (max.empty()) return {};
  if (const std::optional<int> parsed = ParseDumpMax(max)) {
    max_kept_ = *parsed;
    return {};
  }
  max_kept_ = kDumpMaxDefault;
  return {MalformedKeyMessage(u"DUMPMAX", NoCountFault(kDumpMaxLargest),
                              FallbackOutcome(ToDecimal(kDumpMaxDefault)))};
}

std::u16string HangDump::PathOf(std::u16string_view name) const {
  std::u16string path = folder_;
  if (!path.empty() && path.back() != u'\\') path += u'\\';
  path += name;
  return path;
}

std::vector<DumpLogLine> HangDump::DumpProcesses(
    const std::vector<uint32_t>& process_ids, DateTime when) {
  std::vector<DumpLogLine> lines;
  if (process_ids.empty()) return lines;
  const int64_t deadline_ms = clock_.Read().running_ms + kDumpBudgetMs;
  const std::u16string target = helpers_.EnsureFolder(u"", folder_);
  const int32_t attributes = helpers_.QueryAttributes(target);
  const bool folder_ready =
      attributes != -1 && (attributes & kAttributeDirectory) != 0;
  for (uint32_t process_id : process_ids) {
    lines.push_back(DumpOne(process_id, when, folder_ready, deadline_ms));
  }
  if (folder_ready) PruneDumps();
  return lines;
}

DumpLogLine HangDump::DumpOne(uint32_t process_id, DateTime when,
                              bool folder_ready, int64_t deadline_ms) {
  DumpLogLine line{process_id, {}, {}};
  if (!folder_ready) {
    line.message = NoDump(process_id, Concat({u"Der Ordner '", folder_,
                                              u"' lässt sich nicht anlegen."}));
    return line;
  }
  const int64_t left_ms = deadline_ms - clock_.Read().running_ms;
  if (left_ms <= 0) {
    line.message = NoDump(process_id, BudgetSpent(u"verbraucht."));
    return line;
  }
  // A volume the system can't measure is tried all the same.
  const std::optional<uint64_t> free =
      writer_.FreeBytes(helpers_.SystemPath(folder_));
  if (free && *free < kDumpMinFreeBytes) {
    line.message =
        NoDump(process_id, Concat({u"Auf dem Laufwerk von '", folder_,
                                   u"' ist weniger als 1 GiB frei."}));
    return line;
  }
  const std::u16string path = PathOf(DumpFileName(when, process_id));
  const DumpOutcome outcome = writer_.WriteDump(
      process_id, helpers_.SystemPath(path), static_cast<uint32_t>(left_ms));
  const std::u16string error = ErrorText(outcome.error);
  switch (outcome.status) {
    case DumpStatus::kWritten:
      line.file = path;
      line.message = Concat({u"ZARND: Dump von Prozess ", ToDecimal(process_id),
                             u" geschrieben: '", path, u"'"});
      break;
    case DumpStatus::kNoProcess:
      line.message = NoDump(
          process_id, Concat({u"Der Prozess lässt sich nicht öffnen (Fehler ",
                              error, u")."}));
      break;
    case DumpStatus::kNoFile:
      line.message = NoDump(
          process_id,
          Concat({u"Die Datei '", path, u"' lässt sich nicht anlegen (Fehler ",
                  error, u")."}));
      break;
    case DumpStatus::kFailed:
      line.message =
          NoDump(process_id,
                 Concat({u"MiniDumpWriteDump meldet Fehler ", error, u"."}));
      break;
    case DumpStatus::kTimedOut:
      line.message =
          NoDump(process_id,
                 BudgetSpent(u"abgelaufen, der begonnene Dump ist verworfen."));
      break;
    case DumpStatus::kUnavailable:
      line.message = NoDump(
          process_id, Concat({u"MiniDumpWriteDump ist nicht verfügbar (Fehler ",
                              error, u")."}));
      break;
  }
  return line;
}

std::vector<std::u16string> HangDump::PruneDumps() {
  std::vector<std::u16string> deleted;
  const auto names = writer_.ListFiles(helpers_.SystemPath(folder_));
  if (!names) return deleted;
  std::vector<DumpName> ours;
  for (const std::u16string& name : *names) {
    if (!IsOurDumpName(name)) continue;
    const size_t id_at = kPrefix.size() + kStampForm.size() + kPidMark.size();
    const std::u16string_view digits = std::u16string_view(name).substr(
        id_at, name.size() - id_at - kExtension.size());
    ours.push_back(
        DumpName{std::u16string(name.substr(kPrefix.size(), kStampForm.size())),
                 IdOf(digits).value_or(0), name});
  }
  if (ours.size() <= static_cast<size_t>(max_kept_)) return deleted;
  std::sort(ours.begin(), ours.end());
  const size_t surplus = ours.size() - static_cast<size_t>(max_kept_);
  for (size_t i = 0; i < surplus; ++i) {
    if (writer_.RemoveFile(helpers_.SystemPath(PathOf(ours[i].name)))) {
      deleted.push_back(ours[i].name);
    }
  }
  return deleted;
}

}  // namespace zarn
