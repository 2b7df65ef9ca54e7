// The HEAD probe against a real HTTP server on 127.0.0.1: tools/
// http_test_server.py, which each test starts as a Unix program (Wine runs
// those through CreateProcessW) and stops again.
#include "platform/win32/win32_http_probe.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "common/text.h"
#include "paths/helpers.h"
#include "testing/fake_file_system.h"
#include "testing/fake_network_drives.h"
#include "testing/win32/test_http_server.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

class Win32HttpProbeTest : public ::testing::Test {
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

  win32::TestHttpServer server_{ZARN_SOURCE_DIR, "zarn_http"};
  std::unique_ptr<HttpProbe> probe_ = NewWin32HttpProbe();
  FakeFileSystem fs_;
  FakeNetworkDrives drives_;
  Unc unc_{drives_};
  Helpers helpers_{fs_, *probe_, unc_};
};

TEST_F(Win32HttpProbeTest, FoundWithSizeAndLastModified) {
  const HttpHeadResponse response = probe_->Head(Url(u"/found"), {});
  EXPECT_TRUE(response.completed);
  EXPECT_EQ(response.status, 200);
  EXPECT_EQ(response.content_length, u"1234");
  EXPECT_EQ(response.last_modified, u"Sun, 06 Nov 1994 08:49:37 GMT");

  int32_t size = 0;
  std::optional<DateTime> modified;
  EXPECT_TRUE(helpers_.QueryHttpFile(Url(u"/found"), size, modified));
  EXPECT_EQ(size, 1234);
  EXPECT_EQ(modified, DateTime::FromCivil(1994, 11, 6, 8, 49, 37));
  const std::u16string upper =
      u"HTTP://127.0.0.1:" + ToDecimal(server_.port()) + u"/found";
  EXPECT_TRUE(helpers_.CheckFileExists(upper));
  EXPECT_TRUE(fs_.attribute_queries().empty());
}

TEST_F(Win32HttpProbeTest, SendsHeadWithExactlyTheTwoHeadersInOrder) {
  ASSERT_TRUE(helpers_.CheckFileExists(Url(u"/found")));
  const std::string log = server_.Log();
  EXPECT_EQ(log.rfind("HEAD /found HTTP/1.1\n", 0), 0u) << log;
  const size_t cache = log.find("\nCache-Control: no-store, no-cache\n");
  const size_t pragma = log.find("\nPragma: no-cache\n");
  ASSERT_NE(cache, std::string::npos) << log;
  ASSERT_NE(pragma, std::string::npos) << log;
  EXPECT_LT(cache, pragma);
  EXPECT_EQ(log.find("Authorization"), std::string::npos) << log;
  EXPECT_EQ(log.find("Cache-Control", cache + 2), std::string::npos) << log;
}

TEST_F(Win32HttpProbeTest, ErrorAnswersAreNotFound) {
  const HttpHeadResponse response = probe_->Head(Url(u"/missing"), {});
  EXPECT_TRUE(response.completed);
  EXPECT_EQ(response.status, 404);
  EXPECT_FALSE(helpers_.CheckFileExists(Url(u"/missing")));
  EXPECT_FALSE(helpers_.CheckFileExists(Url(u"/error")));
}

TEST_F(Win32HttpProbeTest, NoContentLengthIsStillFound) {
  int32_t size = -1;
  std::optional<DateTime> modified;
  EXPECT_TRUE(helpers_.QueryHttpFile(Url(u"/nolength"), size, modified));
  EXPECT_EQ(size, 0);
  EXPECT_FALSE(modified);
}

TEST_F(Win32HttpProbeTest, RedirectsAreFollowed) {
  const HttpHeadResponse response = probe_->Head(Url(u"/redirect"), {});
  EXPECT_EQ(response.status, 200);
  EXPECT_EQ(response.content_length, u"1234");
  EXPECT_TRUE(helpers_.CheckFileExists(Url(u"/redirect")));
  EXPECT_FALSE(helpers_.CheckFileExists(Url(u"/redirect-missing")));
}

TEST_F(Win32HttpProbeTest, RefusedPortAndBadAddressesAreNotFound) {
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_FALSE(
      probe_->Head(Url(u"/found", server_.refused_port()), {}).completed);
  EXPECT_FALSE(
      helpers_.CheckFileExists(Url(u"/found", server_.refused_port())));
  EXPECT_LT(::GetTickCount64() - start, 10000u);
  EXPECT_FALSE(helpers_.CheckFileExists(u"http:"));
  EXPECT_FALSE(helpers_.CheckFileExists(u"http://"));
  EXPECT_FALSE(helpers_.CheckFileExists(u"HTTPS:nothing"));
}

TEST_F(Win32HttpProbeTest, SilentServerIsNotFoundWithinTheBound) {
  const std::unique_ptr<HttpProbe> probe =
      NewWin32HttpProbe({500, 500, 500, 2000, 3000});
  Helpers helpers(fs_, *probe, unc_);
  const ULONGLONG start = ::GetTickCount64();
  EXPECT_FALSE(helpers.CheckFileExists(Url(u"/silent")));
  const ULONGLONG elapsed = ::GetTickCount64() - start;
  // It returned, after waiting for the answer, and within the bound.
  EXPECT_GE(elapsed, 1000u);
  EXPECT_LT(elapsed, 3000u + 1500u);
}

TEST_F(Win32HttpProbeTest, DefaultBoundsFitInThirtySeconds) {
  const HttpProbeTimeouts t;
  EXPECT_LE(t.resolve + t.connect + t.send + t.receive, t.total);
  EXPECT_LE(t.total, 30000u);
}

}  // namespace
}  // namespace zarn
