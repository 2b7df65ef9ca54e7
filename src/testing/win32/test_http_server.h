// For the tests of the HEAD probe only: tools/http_test_server.py serving
// on 127.0.0.1, started as a Unix program (Wine runs those through
// CreateProcessW), with the ports it reports and the requests it logged.
// It is asked to quit, and its files go, when its owner goes.
#ifndef ZARN_TESTING_WIN32_TEST_HTTP_SERVER_H_
#define ZARN_TESTING_WIN32_TEST_HTTP_SERVER_H_

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "common/text.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_http_probe.h"

namespace zarn::win32 {

class TestHttpServer {
 public:
  // Starts the server of the source tree in `source_dir`, with its port
  // and log files in /tmp named after `file_prefix`, this process and the
  // time, and waits up to 15 s for its ports. started() tells whether it
  // came up.
  TestHttpServer(const std::string& source_dir,
                 const std::string& file_prefix) {
    const std::string id = std::to_string(::GetCurrentProcessId()) + "_" +
                           std::to_string(::GetTickCount64());
    port_file_ = "/tmp/" + file_prefix + "_" + id + ".port";
    log_file_ = "/tmp/" + file_prefix + "_" + id + ".log";
    std::wstring command = L"Z:\\usr\\bin\\python3 " +
                           Wide(source_dir + "/tools/http_test_server.py ") +
                           Wide(port_file_ + " " + log_file_);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &si, &pi)) {
      failure_ = "python3 could not be started";
      return;
    }
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    // The server writes the file whole, under another name first.
    const ULONGLONG deadline = ::GetTickCount64() + 15000;
    while (::GetTickCount64() < deadline) {
      std::ifstream in(WindowsPath(port_file_));
      if (in >> port_ >> refused_port_ >> mute_port_) return;
      ::Sleep(50);
    }
    port_ = refused_port_ = mute_port_ = 0;
    failure_ = "the test server did not start";
  }

  ~TestHttpServer() {
    if (port_ != 0) {
      NewWin32HttpProbe({500, 500, 500, 1000, 2500})->Head(Url(u"/quit"), {});
    }
    ::DeleteFileW(Wide(WindowsPath(port_file_)).c_str());
    ::DeleteFileW(Wide(WindowsPath(log_file_)).c_str());
  }
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  bool started() const { return failure_.empty(); }
  // Why the server didn't come up; empty when it did.
  const std::string& failure() const { return failure_; }

  // The port that serves the paths of tools/http_test_server.py.
  int port() const { return port_; }
  // A port that was free a moment ago and has no listener.
  int refused_port() const { return refused_port_; }
  // A port that takes every connection and never reads or answers.
  int mute_port() const { return mute_port_; }

  // http://127.0.0.1:<port>`path`, on port() unless `port` is given.
  std::u16string Url(std::u16string_view path, int port = 0) const {
    return u"http://127.0.0.1:" + ToDecimal(port ? port : port_) +
           std::u16string(path);
  }

  // The requests received so far: each its request line, its headers in
  // the order received and an empty line.
  std::string Log() const {
    std::ifstream in(WindowsPath(log_file_));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  static std::wstring Wide(const std::string& text) {
    return ToWide(Utf8ToUtf16(text));
  }
  // The server runs on the Unix side; Wine maps its root to Z:.
  static std::string WindowsPath(std::string unix_path) {
    for (char& c : unix_path) c = c == '/' ? '\\' : c;
    return "Z:" + unix_path;
  }

  std::string port_file_;
  std::string log_file_;
  std::string failure_;
  int port_ = 0;
  int refused_port_ = 0;
  int mute_port_ = 0;
};

}  // namespace zarn::win32

#endif  // ZARN_TESTING_WIN32_TEST_HTTP_SERVER_H_
