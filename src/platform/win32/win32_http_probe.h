// The HEAD request of the file probe through WinHTTP.
#ifndef ZARN_PLATFORM_WIN32_WIN32_HTTP_PROBE_H_
#define ZARN_PLATFORM_WIN32_WIN32_HTTP_PROBE_H_

#include <cstdint>
#include <memory>

#include "platform/http_probe.h"

namespace zarn {

// Bounds of one probe, in milliseconds. A probe runs on the daemon's only
// thread, so each step is bounded and all of them together, redirects
// included, stay within `total`. Tests pass shorter bounds.
struct HttpProbeTimeouts {
  uint32_t resolve = 5000;
  uint32_t connect = 5000;
  uint32_t send = 5000;
  uint32_t receive = 15000;
  uint32_t total = 30000;
};

// Synchronous; the system's proxy settings; no credentials are ever sent.
// Redirects are followed (at most 10, never from HTTPS to HTTP) within the
// same bound.
std::unique_ptr<HttpProbe> NewWin32HttpProbe(HttpProbeTimeouts timeouts = {});

}  // namespace zarn

#endif  // ZARN_PLATFORM_WIN32_WIN32_HTTP_PROBE_H_
