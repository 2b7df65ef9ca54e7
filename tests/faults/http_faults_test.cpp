// The HEAD probe against servers that misbehave, served by
// tools/http_test_server.py on 127.0.0.1: one that takes the connection and
// never reads, one that reads and never answers, answers that are no HTTP,
// half a header, and a refused port. Each probe returns within its bound,
// on the daemon's own bounds too.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

#include "common/text.h"
#include "paths/helpers.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_http_probe.h"
#include "testing/fake_file_system.h"
#include "testing/fake_network_drives.h"

namespace zarn {
namespace {

std::wstring Wide(const std::string& text) {
  return win32::ToWide(Utf8ToUtf16(text));
}

std::string WindowsPath(std::string unix_path) {
  for (char& c : unix_path) c = c == '/' ? '\\' : c;
  return "Z:" + unix_path;
}

class HttpFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string id = std::to_string(::GetCurrentProcessId()) + "_" +
                           std::to_string(::GetTickCount64());
    port_file_ = "/tmp/zarn_http_fault_" + id + ".port";
    log_file_ = "/tmp/zarn_http_fault_" + id + ".log";
    std::wstring command =
        L"Z:\\usr\\bin\\python3 " +
        Wide(std::string(ZARN_SOURCE_DIR) + "/tools/http_test_server.py ") +
        Wide(port_file_ + " " + log_file_);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr,
                                 FALSE, 0, nullptr, nullptr, &si, &pi))
        << "python3 could not be started";
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    const ULONGLONG deadline = ::GetTickCount64() + 15000;
    while (::GetTickCount64() < deadline) {
      std::ifstream in(WindowsPath(port_file_));
      if (in >> port_ >> refused_port_ >> mute_port_) break;
      ::Sleep(50);
    }
    ASSERT_NE(mute_port_, 0) << "the test server did not start";
  }

  void TearDown() override {
    if (port_ != 0) {
      NewWin32HttpProbe({500, 500, 500, 1000, 2500})->Head(Url(u"/quit"), {});
    }
    ::DeleteFileW(Wide(WindowsPath(port_file_)).c_str());
    ::DeleteFileW(Wide(WindowsPath(log_file_)).c_str());
  }

  std::u16string Url(std::u16string_view path, int port = 0) const {
    return u"http://127.0.0.1:" + ToDecimal(port ? port : port_) +
           std::u16string(path);
  }

  // CheckFileExists through `probe`, with the milliseconds it took.
  bool Probe(HttpProbe& probe, const std::u16string& url, ULONGLONG& ms) {
    Helpers helpers(fs_, probe, unc_);
    const ULONGLONG start = ::GetTickCount64();
    const bool found = helpers.CheckFileExists(url);
    ms = ::GetTickCount64() - start;
    return found;
  }

  std::string port_file_;
  std::string log_file_;
  int port_ = 0;
  int refused_port_ = 0;
  int mute_port_ = 0;
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
      {"takes the connection, never reads", Url(u"/found", mute_port_), false},
      {"reads the request, never answers", Url(u"/silent"), false},
      {"answers garbage and closes", Url(u"/garbage"), true},
      {"answers garbage, stays open", Url(u"/garbage-open"), true},
      {"half a header, then nothing", Url(u"/half-header"), true},
      {"refused port", Url(u"/found", refused_port_), false},
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
  EXPECT_FALSE(Probe(*probe, Url(u"/found", refused_port_), ms));
  EXPECT_LT(ms, 3000u);
}

// The daemon's own bounds hold for a server that never reads.
TEST_F(HttpFaultTest, MuteServerIsGivenUpWithinTheDaemonsBound) {
  const HttpProbeTimeouts daemon_bounds;
  const std::unique_ptr<HttpProbe> probe = NewWin32HttpProbe();
  ULONGLONG ms = 0;
  EXPECT_FALSE(Probe(*probe, Url(u"/found", mute_port_), ms));
  EXPECT_LT(ms, daemon_bounds.total + 1500u);
}

}  // namespace
}  // namespace zarn
