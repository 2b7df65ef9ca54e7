// Minidumps of the hung checker's Excel, written just before the clean-up
// ends it, so that whoever maintains the checker can see where it hung. A
// folder of our own dumps, kept to a few of the newest; whatever happens to
// a dump, the restart goes on, at most kDumpBudgetMs later. The keys
// DUMPPFAD and DUMPMAX of the section [ZARN] turn it on and size it.
#ifndef ZARN_PROCESS_HANG_DUMP_H_
#define ZARN_PROCESS_HANG_DUMP_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/config_keys.h"
#include "paths/helpers.h"
#include "platform/clock.h"
#include "platform/dump_writer.h"

namespace zarn {

// All the work of one restart's dumps together takes at most this long:
// making the folder, measuring its free space, writing and pruning.
inline constexpr int64_t kDumpBudgetMs = 10000;
// A dump is skipped on a volume with less free space than this (1 GiB).
inline constexpr uint64_t kDumpMinFreeBytes = uint64_t{1} << 30;
// DUMPMAX when the key is missing or empty, or malformed.
inline constexpr int kDumpMaxDefault = 5;
inline constexpr int kDumpMaxLargest = 999;

// DUMPMAX: a count from 1 to kDumpMaxLargest (ParseCount). nullopt for
// anything else, 0 included: the dumps are turned off by an empty
// DUMPPFAD, not by keeping none.
std::optional<int> ParseDumpMax(std::u16string_view text);

// One line of the daemon log for one process: which file holds its dump,
// or why there is none.
struct DumpLogLine {
  uint32_t process_id = 0;
  std::u16string message;
  // The dump's full path; empty when none was written.
  std::u16string file;

  // Why there is no dump: the message after "ZARND: Kein Dump von Prozess
  // <id>: "; empty when one was written.
  std::u16string_view reason() const;
};

class HangDump {
 public:
  // Off until ReadKeys finds a DUMPPFAD.
  HangDump(DumpWriter& writer, Helpers& helpers, Clock& clock)
      : HangDump(writer, helpers, clock, u"", kDumpMaxDefault) {}
  // `folder`: the absolute dump folder (DUMPPFAD resolved), empty for off;
  // `max_kept`: DUMPMAX.
  HangDump(DumpWriter& writer, Helpers& helpers, Clock& clock,
           std::u16string folder, int max_kept)
      : writer_(writer),
        helpers_(helpers),
        clock_(clock),
        folder_(std::move(folder)),
        max_kept_(max_kept) {}
  HangDump(const HangDump&) = delete;
  HangDump& operator=(const HangDump&) = delete;

  // DUMPPFAD and DUMPMAX of the selected section. The folder is resolved
  // like TEMPPFAD but made only when a dump is due: a configuration with
  // dumps on changes nothing on disk until the checker hangs. Gives the
  // message for a malformed DUMPMAX, which keeps the default.
  std::vector<std::u16string> ReadKeys(const ConfigSection& section);
  // Whether a restart dumps: DUMPPFAD names a folder.
  bool on() const { return !folder_.empty(); }

  // Makes the folder exist, dumps each of `process_ids` in turn, named by
  // the time of the clock's reading now, then deletes our user's oldest
  // dumps from this computer beyond DUMPMAX; all of it within
  // kDumpBudgetMs, on the writer's worker. One line per process, in order.
  std::vector<DumpLogLine> DumpProcesses(
      const std::vector<uint32_t>& process_ids);
  // Readies the dump writer ahead of a likely restart, when on; writes
  // nothing.
  void Prepare() {
    if (on()) writer_.Prepare();
  }

 private:
  DumpWriter& writer_;
  Helpers& helpers_;
  Clock& clock_;
  std::u16string folder_;
  int max_kept_;
};

}  // namespace zarn

#endif  // ZARN_PROCESS_HANG_DUMP_H_
