#include "process/hang_dump.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>

#include "common/text.h"
#include "process/dump_names.h"

namespace zarn {
namespace {

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

}  // namespace

std::u16string_view DumpLogLine::reason() const {
  if (!file.empty()) return {};
  const std::u16string prefix = NoDump(process_id, u"");
  std::u16string_view text = message;
  if (text.substr(0, prefix.size()) != prefix) return text;
  return text.substr(prefix.size());
}

namespace {

// What one restart's dumps need, worked off on the writer's worker. The
// caller and the job share it: a job given up goes on alone, and the
// caller then takes the lines recorded so far and says of the rest where
// the time ran out.
class DumpRun {
 public:
  struct Target {
    uint32_t process_id = 0;
    std::u16string path;         // as the log shows it
    std::u16string system_path;  // as the file calls take it
  };

  DumpRun(std::u16string folder, std::u16string system_folder,
          std::vector<std::u16string> folder_steps, DumpOwner owner,
          std::vector<Target> targets, int max_kept)
      : folder_(std::move(folder)),
        system_folder_(std::move(system_folder)),
        folder_steps_(std::move(folder_steps)),
        owner_(std::move(owner)),
        targets_(std::move(targets)),
        max_kept_(max_kept) {}

  // On the worker.
  void Work(DumpCalls& calls);
  // On the caller, once Run has returned: one line per process. No line
  // the job records after this is taken.
  std::vector<DumpLogLine> Lines(bool finished);

 private:
  bool EnsureFolder(DumpCalls& calls);
  DumpLogLine DumpOne(DumpCalls& calls, const Target& target);
  void Prune(DumpCalls& calls);
  // False once the caller has taken the lines.
  bool Record(DumpLogLine line);

  const std::u16string folder_;
  const std::u16string system_folder_;
  const std::vector<std::u16string> folder_steps_;
  const DumpOwner owner_;
  const std::vector<Target> targets_;
  const int max_kept_;

  std::mutex mutex_;
  bool taken_ = false;
  bool folder_done_ = false;
  std::vector<DumpLogLine> lines_;
};

void DumpRun::Work(DumpCalls& calls) {
  const bool ready = EnsureFolder(calls);
  if (calls.GivenUp()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    folder_done_ = true;
  }
  for (const Target& target : targets_) {
    DumpLogLine line{target.process_id, {}, {}};
    if (ready) {
      line = DumpOne(calls, target);
    } else {
      line.message = NoDump(
          target.process_id,
          Concat({u"Der Ordner '", folder_, u"' lässt sich nicht anlegen."}));
    }
    if (calls.GivenUp()) return;
    if (!Record(line)) {
      // Written after the caller had logged it as given up.
      if (!line.file.empty()) calls.RemoveFile(target.system_path);
      return;
    }
  }
  if (ready) Prune(calls);
}

bool DumpRun::EnsureFolder(DumpCalls& calls) {
  if (calls.IsFolder(system_folder_)) return true;
  for (const std::u16string& step : folder_steps_) {
    if (calls.GivenUp()) return false;
    calls.MakeFolder(step);
  }
  return calls.IsFolder(system_folder_);
}

DumpLogLine DumpRun::DumpOne(DumpCalls& calls, const Target& target) {
  const uint32_t id = target.process_id;
  DumpLogLine line{id, {}, {}};
  // A volume the system can't measure is tried all the same.
  const std::optional<uint64_t> free = calls.FreeBytes(system_folder_);
  if (calls.GivenUp()) return line;
  if (free && *free < kDumpMinFreeBytes) {
    line.message = NoDump(id, Concat({u"Auf dem Laufwerk von '", folder_,
                                      u"' ist weniger als 1 GiB frei."}));
    return line;
  }
  const DumpOutcome outcome = calls.WriteDump(id, target.system_path);
  const std::u16string error = ErrorText(outcome.error);
  switch (outcome.status) {
    case DumpStatus::kWritten:
      line.file = target.path;
      line.message = Concat({u"ZARND: Dump von Prozess ", ToDecimal(id),
                             u" geschrieben: '", target.path, u"'"});
      break;
    case DumpStatus::kNoProcess:
      line.message =
          NoDump(id, Concat({u"Der Prozess lässt sich nicht öffnen (Fehler ",
                             error, u")."}));
      break;
    case DumpStatus::kNoFile:
      line.message = NoDump(
          id, Concat({u"Die Datei '", target.path,
                      u"' lässt sich nicht anlegen (Fehler ", error, u")."}));
      break;
    case DumpStatus::kFailed:
      line.message = NoDump(
          id, Concat({u"MiniDumpWriteDump meldet Fehler ", error, u"."}));
      break;
    case DumpStatus::kTimedOut:
      line.message = NoDump(
          id, BudgetSpent(u"abgelaufen, der begonnene Dump ist verworfen."));
      break;
    case DumpStatus::kUnavailable:
      line.message =
          NoDump(id, Concat({u"MiniDumpWriteDump ist nicht verfügbar (Fehler ",
                             error, u")."}));
      break;
  }
  return line;
}

void DumpRun::Prune(DumpCalls& calls) {
  const auto names = calls.ListFiles(system_folder_);
  if (!names) return;
  std::vector<std::pair<DumpAge, std::u16string>> ours;
  for (const std::u16string& name : *names) {
    if (auto age = OwnDumpAge(name, owner_)) ours.emplace_back(*age, name);
  }
  if (ours.size() <= static_cast<size_t>(max_kept_)) return;
  std::sort(ours.begin(), ours.end());
  const size_t surplus = ours.size() - static_cast<size_t>(max_kept_);
  std::u16string path = system_folder_;
  if (!path.empty() && path.back() != u'\\') path += u'\\';
  for (size_t i = 0; i < surplus && !calls.GivenUp(); ++i) {
    calls.RemoveFile(path + ours[i].second);
  }
}

bool DumpRun::Record(DumpLogLine line) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (taken_) return false;
  lines_.push_back(std::move(line));
  return true;
}

std::vector<DumpLogLine> DumpRun::Lines(bool finished) {
  const std::lock_guard<std::mutex> lock(mutex_);
  taken_ = true;
  std::vector<DumpLogLine> lines = lines_;
  if (finished) return lines;
  // The process whose turn it was when the time ran out, and those after.
  const size_t current = lines.size();
  for (size_t i = current; i < targets_.size(); ++i) {
    const uint32_t id = targets_[i].process_id;
    std::u16string reason =
        !folder_done_ ? BudgetSpent(Concat({u"abgelaufen, bevor der Ordner '",
                                            folder_, u"' bereit war."}))
        : i == current
            ? BudgetSpent(u"abgelaufen, der begonnene Dump ist verworfen.")
            : BudgetSpent(u"verbraucht.");
    lines.push_back(DumpLogLine{id, NoDump(id, reason), {}});
  }
  return lines;
}

}  // namespace

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

std::vector<DumpLogLine> HangDump::DumpProcesses(
    const std::vector<uint32_t>& process_ids) {
  std::vector<DumpLogLine> lines;
  if (process_ids.empty()) return lines;
  const DateTime utc = DateTime::FromSeconds(clock_.Read().UtcSeconds());
  const DumpOwner owner = writer_.Owner();
  if (owner.machine.empty() || owner.user.empty()) {
    // Without them the dumps could be told from no one else's.
    for (uint32_t id : process_ids) {
      lines.push_back(DumpLogLine{
          id,
          NoDump(id,
                 u"Der Name des Rechners oder des Benutzers ist nicht "
                 u"lesbar."),
          {}});
    }
    return lines;
  }
  // Every path is put in its system form here: the job owns all it uses.
  std::u16string prefix = folder_;
  if (!prefix.empty() && prefix.back() != u'\\') prefix += u'\\';
  std::vector<DumpRun::Target> targets;
  for (uint32_t id : process_ids) {
    const std::u16string path = prefix + DumpFileName(utc, owner, id);
    targets.push_back(DumpRun::Target{id, path, helpers_.SystemPath(path)});
  }
  auto run = std::make_shared<DumpRun>(folder_, helpers_.SystemPath(folder_),
                                       helpers_.FolderSteps(folder_), owner,
                                       std::move(targets), max_kept_);
  const bool finished =
      writer_.Run(static_cast<uint32_t>(kDumpBudgetMs),
                  [run](DumpCalls& calls) { run->Work(calls); });
  return run->Lines(finished);
}

}  // namespace zarn
