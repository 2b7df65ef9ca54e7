// Minidumps of a hung process before it is ended, and the few file calls
// that keep the dump folder in bounds. All of them run as one job on a
// worker thread of the writer's own, which the caller waits for only so
// long: a folder on a share that does not answer costs the restart no more
// than that.
#ifndef ZARN_PLATFORM_DUMP_WRITER_H_
#define ZARN_PLATFORM_DUMP_WRITER_H_

#include <cstdint>
#include <functional>
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
  kTimedOut,     // the job was given up: dump stopped, file deleted
  kUnavailable,  // no dbghelp.dll
};

struct DumpOutcome {
  DumpStatus status = DumpStatus::kFailed;
  // The system's error code where there is one (GetLastError; for
  // MiniDumpWriteDump an HRESULT), else 0.
  uint32_t error = 0;
};

// Whose dumps they are: the names of our computer and of our user, as the
// system gives them. Empty where the system can't tell.
struct DumpOwner {
  std::u16string machine;
  std::u16string user;
};

// The calls of one dump job. Each of them may wait on the network for as
// long as the system lets it. Once the job has been given up, every call
// but RemoveFile fails at once and changes nothing.
class DumpCalls {
 public:
  DumpCalls() = default;
  DumpCalls(const DumpCalls&) = delete;
  DumpCalls& operator=(const DumpCalls&) = delete;
  virtual ~DumpCalls() = default;

  // True once the caller has stopped waiting for the job: it should stop,
  // for nobody takes its results any more.
  virtual bool GivenUp() const = 0;
  // True when `path` names a folder.
  virtual bool IsFolder(std::u16string_view path) = 0;
  // Creates the one folder `path` in an existing parent; whether that
  // worked is for IsFolder to tell. The folder belongs to our user, who may
  // list it and add files, whether an elevated daemon made it or not.
  virtual void MakeFolder(std::u16string_view path) = 0;
  // The bytes free to our user on the volume that holds `folder` (quotas
  // counted). nullopt when the system can't tell.
  virtual std::optional<uint64_t> FreeBytes(std::u16string_view folder) = 0;
  // The names (without folder) of the files directly in `folder`, folders
  // left out, in no particular order. nullopt when it can't be listed.
  virtual std::optional<std::vector<std::u16string>> ListFiles(
      std::u16string_view folder) = 0;
  // Writes a minidump of `process_id` into the new file `path` (an existing
  // file is never overwritten): its threads with their stacks and state,
  // the module list and the unloaded modules; neither its memory nor its
  // handles. The file belongs to our user, who may delete it whether an
  // elevated daemon or a standard one wrote it. Only a kWritten dump leaves
  // a file behind; a dump whose job is given up stops (kTimedOut).
  virtual DumpOutcome WriteDump(uint32_t process_id,
                                std::u16string_view path) = 0;
  // Deletes one file; false when it can't be deleted. Works after the job
  // was given up too, so that a dump done too late can be taken back.
  virtual bool RemoveFile(std::u16string_view path) = 0;
};

class DumpWriter {
 public:
  DumpWriter() = default;
  DumpWriter(const DumpWriter&) = delete;
  DumpWriter& operator=(const DumpWriter&) = delete;
  // Waits for a job that was given up to return: a process whose threads
  // the dump holds is let go before the daemon ends.
  virtual ~DumpWriter() = default;

  // Loads what WriteDump needs (dbghelp.dll), ahead of a likely restart, so
  // that the first dump does not wait for it. Writes nothing.
  virtual void Prepare() = 0;
  // Our computer's and our user's names, from the local system alone.
  virtual DumpOwner Owner() = 0;
  // Runs `job` on a worker thread and waits at most `budget_ms` for it;
  // true when it has returned by then. Otherwise it is given up: a dump it
  // writes is stopped, a call of its that waits on the network is cancelled
  // where the system can, and the job goes on alone until it returns, so it
  // must own all it uses. Jobs run one at a time (dbghelp serves one caller
  // at a time): the wait for a job given up before counts against the
  // budget, and a job that never got to start is not run at all (false).
  virtual bool Run(uint32_t budget_ms, std::function<void(DumpCalls&)> job) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_DUMP_WRITER_H_
