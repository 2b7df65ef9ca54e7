// Processes by name and owner through WMI's Win32_Process on the local
// machine: a query, GetOwner and Terminate.
#ifndef ZARN_PLATFORM_WMI_PROCESS_SERVICE_H_
#define ZARN_PLATFORM_WMI_PROCESS_SERVICE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

struct WmiProcess {
  std::u16string path;                 // the object's __PATH, for method calls
  std::optional<uint32_t> process_id;  // from the key property Handle
};

// One connection to ROOT\CIMV2. Methods are called only after the query's
// rows have all been collected: an open enumerator corrupts them.
class WmiSession {
 public:
  WmiSession() = default;
  WmiSession(const WmiSession&) = delete;
  WmiSession& operator=(const WmiSession&) = delete;
  virtual ~WmiSession() = default;

  // ExecQuery with WQL `query`. nullopt when the query fails.
  virtual std::optional<std::vector<WmiProcess>> ExecQuery(
      std::u16string_view query) = 0;
  // GetOwner of the object at `path`: the owner's user name without domain.
  // nullopt when the call fails or reports no owner.
  virtual std::optional<std::u16string> GetOwner(std::u16string_view path) = 0;
  // Terminate of the object at `path`. True when the method ran and
  // returned 0.
  virtual bool Terminate(std::u16string_view path) = 0;
};

class WmiProcessService {
 public:
  WmiProcessService() = default;
  WmiProcessService(const WmiProcessService&) = delete;
  WmiProcessService& operator=(const WmiProcessService&) = delete;
  virtual ~WmiProcessService() = default;

  // A fresh connection; nullptr when WMI can't be reached.
  virtual std::unique_ptr<WmiSession> Connect() = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_WMI_PROCESS_SERVICE_H_
