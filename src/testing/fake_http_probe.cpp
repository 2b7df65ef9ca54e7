#include "testing/fake_http_probe.h"

namespace zarn {

HttpHeadResponse FakeHttpProbe::Head(std::u16string_view url,
                                     const Headers& headers) {
  requests_.push_back(Request{std::u16string(url), headers});
  auto it = responses_.find(url);
  if (it == responses_.end()) return HttpHeadResponse{};
  return it->second;
}

}  // namespace zarn
