// Minidumps of a hung process before it is ended, and the few file calls
// that keep the dump folder in bounds: free space, listing, deletion.
#ifndef ZARN_PLATFORM_DUMP_WRITER_H_
#define ZARN_PLATFORM_DUMP_WRITER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

enum class DumpStatus {
  kWritten,      // the whole dump is in the file
  kNoProcess,    // the process can't be opened (gone, another user's)
  kNoFile,       // the file can't be created (exists, no right, bad name)
  kFailed,       // MiniDumpWriteDump failed; the file has been deleted
  kTimedOut,     // not done within the budget: abandoned, file deleted
  kUnavailable,  // no dbghelp.dll, or an abandoned dump still runs
};

struct DumpOutcome {
  DumpStatus status = DumpStatus::kFailed;
  // The system's error code where there is one (GetLastError; for
  // MiniDumpWriteDump an HRESULT), else 0.
  uint32_t error = 0;
};

class DumpWriter {
 public:
  DumpWriter() = default;
  DumpWriter(const DumpWriter&) = delete;
  DumpWriter& operator=(const DumpWriter&) = delete;
  virtual ~DumpWriter() = default;

  // Loads what WriteDump needs (dbghelp.dll), ahead of a likely restart, so
  // that the first dump does not wait for it. Writes nothing.
  virtual void Prepare() = 0;
  // Writes a minidump of `process_id` into the new file `path` (an existing
  // file is never overwritten): its threads with their stacks, the module
  // list, handle data and unloaded modules, not its memory. Waits at most
  // `budget_ms`; a dump still running then is abandoned and its file
  // deleted, and until it has stopped no other dump starts (kUnavailable).
  // Only a kWritten dump leaves a file behind.
  virtual DumpOutcome WriteDump(uint32_t process_id, std::u16string_view path,
                                uint32_t budget_ms) = 0;
  // The bytes free to our user on the volume that holds `folder` (quotas
  // counted). nullopt when the system can't tell.
  virtual std::optional<uint64_t> FreeBytes(std::u16string_view folder) = 0;
  // The names (without folder) of the files directly in `folder`, folders
  // left out, in no particular order. nullopt when it can't be listed.
  virtual std::optional<std::vector<std::u16string>> ListFiles(
      std::u16string_view folder) = 0;
  // Deletes one file; false when it can't be deleted.
  virtual bool RemoveFile(std::u16string_view path) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_DUMP_WRITER_H_
