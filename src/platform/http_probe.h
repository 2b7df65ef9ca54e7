// One synchronous HEAD request, for configuration paths that are web
// addresses.
#ifndef ZARN_PLATFORM_HTTP_PROBE_H_
#define ZARN_PLATFORM_HTTP_PROBE_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarn {

struct HttpHeadResponse {
  // True when a final answer arrived, whatever its status.
  bool completed = false;
  int status = 0;
  std::optional<std::u16string> content_length;
  std::optional<std::u16string> last_modified;
};

class HttpProbe {
 public:
  HttpProbe() = default;
  HttpProbe(const HttpProbe&) = delete;
  HttpProbe& operator=(const HttpProbe&) = delete;
  virtual ~HttpProbe() = default;

  // Sends HEAD `url` with exactly `headers`, in that order, and no
  // credentials, following redirects as the platform does. Returns within a
  // bound of 30 seconds in all; a time-out, a refused connection or a
  // malformed address give completed = false.
  virtual HttpHeadResponse Head(
      std::u16string_view url,
      const std::vector<std::pair<std::u16string, std::u16string>>&
          headers) = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_HTTP_PROBE_H_
