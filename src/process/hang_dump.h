// Minidumps of the hung checker's Excel, written just before the clean-up
// ends it, so that whoever maintains the checker can see where it hung. A
// folder of our own dumps, kept to a few of the newest; whatever happens to
// a dump, the restart goes on.
#ifndef ZARN_PROCESS_HANG_DUMP_H_
#define ZARN_PROCESS_HANG_DUMP_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/date_time.h"
#include "paths/helpers.h"
#include "platform/clock.h"
#include "platform/dump_writer.h"

namespace zarn {

// All dumps of one restart together take at most this long.
inline constexpr int64_t kDumpBudgetMs = 10000;
// A dump is skipped on a volume with less free space than this (1 GiB).
inline constexpr uint64_t kDumpMinFreeBytes = uint64_t{1} << 30;
// DUMPMAX when the key is missing or empty, or malformed.
inline constexpr int kDumpMaxDefault = 5;
inline constexpr int kDumpMaxLargest = 999;

// "ZARN_2026-12-07_09-05-03_PID812.dmp": sorts by the local time of the
// restart, then by process.
std::u16string DumpFileName(DateTime local, uint32_t process_id);
// True only for a name DumpFileName can give (letter case ignored, as the
// file system does): the only files the daemon ever deletes.
bool IsOurDumpName(std::u16string_view name);
// DUMPMAX: a whole number from 1 to 999 in decimal digits. nullopt for
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
};

class HangDump {
 public:
  // `folder`: the absolute dump folder (DUMPPFAD resolved); `max_kept`:
  // DUMPMAX.
  HangDump(DumpWriter& writer, Helpers& helpers, Clock& clock,
           std::u16string folder, int max_kept)
      : writer_(writer),
        helpers_(helpers),
        clock_(clock),
        folder_(std::move(folder)),
        max_kept_(max_kept) {}
  HangDump(const HangDump&) = delete;
  HangDump& operator=(const HangDump&) = delete;

  // Dumps each of `process_ids` in turn, named by `when` (the local time
  // of the restart), within kDumpBudgetMs for all of them; makes the folder
  // exist first. Afterwards deletes our oldest dumps beyond DUMPMAX. One
  // line per process, in order.
  std::vector<DumpLogLine> DumpProcesses(
      const std::vector<uint32_t>& process_ids, DateTime when);
  // Readies the dump writer ahead of a likely restart; writes nothing.
  void Prepare() { writer_.Prepare(); }
  // Deletes our own dumps in the folder beyond the newest `max_kept`; no
  // other file is touched. Gives the names deleted.
  std::vector<std::u16string> PruneDumps();

 private:
  DumpLogLine DumpOne(uint32_t process_id, DateTime when, bool folder_ready,
                      int64_t deadline_ms);
  std::u16string PathOf(std::u16string_view name) const;

  DumpWriter& writer_;
  Helpers& helpers_;
  Clock& clock_;
  std::u16string folder_;
  int max_kept_;
};

}  // namespace zarn

#endif  // ZARN_PROCESS_HANG_DUMP_H_
