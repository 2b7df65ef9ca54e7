// Dumps and their folder as entries in memory. Each call takes the time a
// test gives it on the fake clock (a share that does not answer takes the
// network's time-out), and a job is given up at its budget as the real
// writer gives it up: the clock then stands at the budget's end, and every
// later call of the job fails at once. Files carry their owner's name and
// may be deleted by their owner, or by anyone where the folder lets anyone
// delete. Files and folders are compared ignoring letter case; every dump
// asked for and every deletion is recorded.
#ifndef ZARN_TESTING_FAKE_DUMP_WRITER_H_
#define ZARN_TESTING_FAKE_DUMP_WRITER_H_

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/dump_writer.h"
#include "testing/fake_clock.h"

namespace zarn {

class FakeDumpWriter final : public DumpWriter {
 public:
  // What a call on a share that does not answer waits before it fails.
  static constexpr int64_t kNetworkTimeoutMs = 60000;

  struct Request {
    uint32_t process_id = 0;
    std::u16string path;
  };

  explicit FakeDumpWriter(FakeClock* clock);
  ~FakeDumpWriter() override;

  void Prepare() override { ++prepare_count_; }
  DumpOwner Owner() override { return owner_; }
  bool Run(uint32_t budget_ms, std::function<void(DumpCalls&)> job) override;

  // PC01 and anna unless set.
  void set_owner(DumpOwner owner) { owner_ = std::move(owner); }
  // How the dump of `process_id` ends and how long it takes; a dump of any
  // other process is written in `default_ms`.
  void SetDump(uint32_t process_id, DumpOutcome outcome, int64_t ms = 0) {
    dumps_[process_id] = {outcome, ms};
  }
  void set_default_ms(int64_t ms) { default_ms_ = ms; }
  // Runs as each dump begins: the place to look at what is still alive.
  void set_on_dump(std::function<void(uint32_t)> hook) {
    on_dump_ = std::move(hook);
  }
  // nullopt: the system can't tell. 100 GiB where nothing is set.
  void SetFreeBytes(std::u16string folder, std::optional<uint64_t> bytes);
  // Every call on `path` or below it takes `ms`: kNetworkTimeoutMs for a
  // share that does not answer.
  void SetCallMs(std::u16string_view path, int64_t ms);
  void AddFolder(std::u16string_view path);
  bool HasFolder(std::u16string_view path) const;
  // No folder can be made below `path`.
  void DenyCreateUnder(std::u16string_view path);
  // A file owned by `owner`, or by our user when empty.
  void AddFile(std::u16string_view path, std::u16string owner = u"");
  bool HasFile(std::u16string_view path) const;
  // The names of the files in `folder`, sorted.
  std::vector<std::u16string> FilesIn(std::u16string_view folder) const;
  // As where the folder grants every user the deletion of its files.
  void set_anyone_may_delete(bool anyone) { anyone_may_delete_ = anyone; }

  const std::vector<Request>& requests() const { return requests_; }
  const std::vector<std::u16string>& removed() const { return removed_; }
  // The budget of each job run.
  const std::vector<uint32_t>& runs() const { return runs_; }
  int free_space_queries() const { return free_space_queries_; }
  int prepare_count() const { return prepare_count_; }

 private:
  class Calls;
  struct Dump {
    DumpOutcome outcome;
    int64_t ms = 0;
  };
  struct File {
    std::u16string path;
    std::u16string owner;
  };

  // Moves the clock on by `ms` unless that passes the job's budget: then
  // the job is given up at the budget's end. False when given up.
  bool Spend(int64_t ms);
  int64_t CallMs(std::u16string_view path) const;
  bool IsFolder(std::u16string_view path);
  void MakeFolder(std::u16string_view path);
  std::optional<uint64_t> FreeBytes(std::u16string_view folder);
  std::optional<std::vector<std::u16string>> ListFiles(
      std::u16string_view folder);
  DumpOutcome WriteDump(uint32_t process_id, std::u16string_view path);
  bool RemoveFile(std::u16string_view path);

  FakeClock* clock_;
  std::unique_ptr<Calls> calls_;
  DumpOwner owner_{u"PC01", u"anna"};
  std::function<void(uint32_t)> on_dump_;
  std::map<uint32_t, Dump> dumps_;
  int64_t default_ms_ = 0;
  // Lower-cased path -> the file.
  std::map<std::u16string, File> files_;
  std::set<std::u16string> folders_;
  std::vector<std::u16string> denied_;
  std::map<std::u16string, int64_t> call_ms_;
  std::map<std::u16string, std::optional<uint64_t>> free_bytes_;
  bool anyone_may_delete_ = false;
  int64_t deadline_ms_ = 0;
  bool given_up_ = false;
  std::vector<Request> requests_;
  std::vector<std::u16string> removed_;
  std::vector<uint32_t> runs_;
  int free_space_queries_ = 0;
  int prepare_count_ = 0;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_DUMP_WRITER_H_
