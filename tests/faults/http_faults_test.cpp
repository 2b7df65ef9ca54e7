// The HEAD probe against servers that misbehave, served by
// tools/http_test_server.py on 127.0.0.1: one that takes the connection and
// never reads, one that reads and never answers, answers that are no HTTP,
// half a header, and a refused port. Each probe returns within its bound,
// on the daemon's own bounds too.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "common/text.h"
#include "paths/helpers.h"
#include "platform/win32/win32_http_probe.h"
#include "testing/fake_file_system.h"
#include "testing/fake_network_drives.h"
#include "testing/win32/test_http_server.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

class HttpFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32::RunningUnderWine()) {
      GTEST_SKIP() << "needs Wine: starts tools/http_test_server.py as a Unix "
                      "program";
    }
    ASSERT_TRUE(server_.started()) << server_.failure();
  }

  std::u16string Url(std::u16string_view path, int port = 0) const {
    return server_.Url(path, port);
  }

  // CheckFileExists through `probe`, with the milliseconds it took.
  bool Probe(HttpProbe& probe, const std::u16string& url, ULONGLONG& ms) {
    Helpers helpers(fs_, probe, unc_);
    const ULONGLONG start = ::GetTickCount64();
    const bool found = helpers.CheckFileExists(url);
    ms = ::GetTickCount64() - start;
    return found;
  }

  win32::TestHttpServer server_{ZARN_SOURCE_DIR, "zarn_http_fault"};
  FakeFileSystem fs_;
  FakeNetworkDrives drives_;
  Unc unc_{drives_};
};

TEST_F(HttpFaultTest, EveryMisbehavingServerIsAnsweredWithinTheBound) {
  const HttpProbeTimeouts bounds{1000, 1000, 1000, 2000, 4000};
  // Scheduling under Wine adds to every bound.
  constexpr ULONGLONG kSlackMs = 1500;
  struct Case {
    const char* what;
    std::u16string url;
    // Bytes may pass as an old-style reply; Wine's WinHTTP takes a status
    // line without the end of its headers as an answer.
    bool can_be_found;
  };
  const Case cases[] = {
      {"takes the connection, never reads", Url(u"/found", server_.mute_port()),
       false},
      {"reads the request, never answers", Url(u"/silent"), false},
      {"answers garbage and closes", Url(u"/garbage"), true},
      {"answers garbage, stays open", Url(u"/garbage-open"), true},
      {"half a header, then nothing", Url(u"/half-header"), true},
      {"refused port", Url(u"/found", server_.refused_port()), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::unique_ptr<HttpProbe> probe = NewWin32HttpProbe(bounds);
    ULONGLONG ms = 0;
    const bool found = Probe(*probe, c.url, ms);
    if (!c.can_be_found) {
      EXPECT_FALSE(found);
    }
    EXPECT_LT(ms, bounds.total + kSlackMs);
    RecordProperty(std::string(c.what), std::to_string(ms) + " ms, " +
                                            (found ? "found" : "not found"));
  }
}

TEST_F(HttpFaultTest, RefusedPortAnswersAtOnce) {
  const std::unique_ptr<HttpProbe> probe = NewWin32HttpProbe();
  ULONGLONG ms = 0;
  EXPECT_FALSE(Probe(*probe, Url(u"/found", server_.refused_port()), ms));
  EXPECT_LT(ms, 3000u);
}

// The daemon's own bounds hold for a server that never reads.
TEST_F(HttpFaultTest, MuteServerIsGivenUpWithinTheDaemonsBound) {
  const HttpProbeTimeouts daemon_bounds;
  const std::unique_ptr<HttpProbe> probe = NewWin32HttpProbe();
  ULONGLONG ms = 0;
  EXPECT_FALSE(Probe(*probe, Url(u"/found", server_.mute_port()), ms));
  EXPECT_LT(ms, daemon_bounds.total + 1500u);
}

}  // namespace
}  // namespace zarn
