// Scripted answers to HEAD requests; records each request with its headers.
#ifndef ZARN_TESTING_FAKE_HTTP_PROBE_H_
#define ZARN_TESTING_FAKE_HTTP_PROBE_H_

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/http_probe.h"

namespace zarn {

class FakeHttpProbe final : public HttpProbe {
 public:
  using Headers = std::vector<std::pair<std::u16string, std::u16string>>;
  struct Request {
    std::u16string url;
    Headers headers;
  };

  HttpHeadResponse Head(std::u16string_view url,
                        const Headers& headers) override;

  // The answer for `url`; an unscripted address gives no answer at all, as
  // an unreachable host does.
  void Respond(std::u16string url, HttpHeadResponse response) {
    responses_[std::move(url)] = std::move(response);
  }
  const std::vector<Request>& requests() const { return requests_; }

 private:
  std::map<std::u16string, HttpHeadResponse, std::less<>> responses_;
  std::vector<Request> requests_;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_HTTP_PROBE_H_
