// Dumps as entries in memory: each process's dump takes the time a test
// gives it on the fake clock and ends as the test says; a dump that would
// outlast its budget is abandoned, as the real one is. Files and folders
// are compared ignoring letter case; every dump asked for and every
// deletion is recorded.
#ifndef ZARN_TESTING_FAKE_DUMP_WRITER_H_
#define ZARN_TESTING_FAKE_DUMP_WRITER_H_

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/dump_writer.h"
#include "testing/fake_clock.h"

namespace zarn {

class FakeDumpWriter final : public DumpWriter {
 public:
  struct Request {
    uint32_t process_id = 0;
    std::u16string path;
    uint32_t budget_ms = 0;
  };

  explicit FakeDumpWriter(FakeClock* clock) : clock_(clock) {}

  void Prepare() override { ++prepare_count_; }
  DumpOutcome WriteDump(uint32_t process_id, std::u16string_view path,
                        uint32_t budget_ms) override;
  std::optional<uint64_t> FreeBytes(std::u16string_view folder) override;
  std::optional<std::vector<std::u16string>> ListFiles(
      std::u16string_view folder) override;
  bool RemoveFile(std::u16string_view path) override;

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
  void AddFile(std::u16string_view path);
  bool HasFile(std::u16string_view path) const;
  // The names of the files in `folder`, sorted.
  std::vector<std::u16string> FilesIn(std::u16string_view folder) const;

  const std::vector<Request>& requests() const { return requests_; }
  const std::vector<std::u16string>& removed() const { return removed_; }
  int free_space_queries() const { return free_space_queries_; }
  int prepare_count() const { return prepare_count_; }

 private:
  struct Dump {
    DumpOutcome outcome;
    int64_t ms = 0;
  };

  FakeClock* clock_;
  std::function<void(uint32_t)> on_dump_;
  std::map<uint32_t, Dump> dumps_;
  int64_t default_ms_ = 0;
  // Lower-cased path -> the path as written.
  std::map<std::u16string, std::u16string> files_;
  std::map<std::u16string, std::optional<uint64_t>> free_bytes_;
  std::vector<Request> requests_;
  std::vector<std::u16string> removed_;
  int free_space_queries_ = 0;
  int prepare_count_ = 0;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_DUMP_WRITER_H_
