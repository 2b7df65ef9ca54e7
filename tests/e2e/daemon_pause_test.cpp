// The real ZARNDaemon.exe stopped for longer than its limit, the nearest
// thing to a desktop program paused in modern standby that runs here:
// Wine runs the daemon as a Linux process, which the test stops with
// SIGSTOP and lets go on with SIGCONT, through the host's shell. The
// clocks run on meanwhile. The test is the checker: a report within
// seconds after the stop spares it, and a silent checker is restarted once
// the limit has passed in the time the daemon saw run.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "daemon_fixture.h"
#include "platform/win32/win32_status_view.h"
#include "watchdog/seen_clock.h"

namespace zarn::e2e {
namespace {

constexpr int64_t kLimitMs = 6000;
// Longer than the limit, and than a gap that still counts whole.
constexpr DWORD kStopMs = 9000;
static_assert(kStopMs > kLimitMs && kStopMs > SeenClock::kPauseGapMs);

// The Linux process id of the Wine process that runs `exe`: Wine shows the
// program's Windows path as the first word of the process's command line.
std::optional<std::wstring> UnixProcessOf(const std::wstring& exe) {
  const std::string path = Utf8(exe);
  WIN32_FIND_DATAW entry;
  HANDLE find = ::FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::wstring> found;
  do {
    const std::wstring pid = entry.cFileName;
    if (pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::string line =
        ReadFileBytes(L"Z:\\proc\\" + pid + L"\\cmdline").value_or("");
    if (line.substr(0, line.find('\0')) == path) found = pid;
  } while (!found && ::FindNextFileW(find, &entry));
  ::FindClose(find);
  return found;
}

// Sends SIGSTOP or SIGCONT to `pid` with the host's kill, and waits until
// the state in its stat shows it stopped (T) or not.
bool Signal(const std::wstring& pid, bool stop) {
  std::wstring command = L"Z:\\bin\\sh -c \"kill -";
  command += (stop ? L"STOP " : L"CONT ") + pid + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  const auto stopped = [&] {
    const std::string stat =
        ReadFileBytes(L"Z:\\proc\\" + pid + L"\\stat").value_or("");
    const size_t name_end = stat.rfind(") ");
    return name_end != std::string::npos && stat[name_end + 2] == 'T';
  };
  return WaitUntil([&] { return stopped() == stop; }, kPatienceMs);
}

class DaemonPauseTest : public DaemonFixture {
 protected:
  void TearDown() override {
    // A stopped daemon could not be ended.
    if (pid_) Signal(*pid_, false);
    DaemonFixture::TearDown();
  }

  // Stops the daemon for kStopMs; gives when it went on.
  ULONGLONG StopDaemon() {
    EXPECT_TRUE(Signal(*pid_, true));
    ::Sleep(kStopMs);
    EXPECT_TRUE(Signal(*pid_, false));
    return ::GetTickCount64();
  }

  std::optional<std::wstring> pid_;
};

TEST_F(DaemonPauseTest, StopLongerThanTheLimitIsNoSilence) {
  WriteConfig(L"CANCELTIME=00:00:06\r\n");
  WatchedProcess daemon = StartDaemon(u"PRUEFE");
  ASSERT_TRUE(daemon.valid());
  HWND window = WaitForStatusWindow(daemon.id());
  ASSERT_NE(window, nullptr);
  pid_ = UnixProcessOf(daemon_exe());
  ASSERT_TRUE(pid_.has_value()) << "no Linux process runs the daemon";
  SetSetting(settings::kLiveStatusTime, NowText());
  ASSERT_TRUE(WaitUntil(
      [&] { return ControlText(window, kStatus2Id).starts_with(L"00:00:0"); },
      kPatienceMs));

  // The checker, paused alike, reports again a second after the stop.
  StopDaemon();
  ::Sleep(1000);
  SetSetting(settings::kLiveStatusTime, NowText());
  ::Sleep(2000);
  ASSERT_FALSE(HandOverWritten()) << "a healthy checker was restarted";

  // It reports once more and falls silent: the restart comes when the
  // report is older than the limit in seen time, which counts the stop
  // as one cycle, not at once.
  SetSetting(settings::kLiveStatusTime, NowText());
  const ULONGLONG went_on = StopDaemon();
  ASSERT_TRUE(WaitUntil([&] { return HandOverWritten(); }, kPatienceMs))
      << "no restart within " << kPatienceMs << " ms after the stop";
  const ULONGLONG restarted = ::GetTickCount64();
  EXPECT_TRUE(daemon.WaitForExit(kPatienceMs));
  // As the stop ends, the report is a second or two old in seen time: a
  // cycle, the second its text drops, and what the daemon saw before the
  // stop. The restart follows the rest of the limit and a second, plus
  // the load of the machine (measured: 6.3 to 6.8 s).
  EXPECT_GE(static_cast<int64_t>(restarted - went_on), kLimitMs - 3000)
      << "restarted as the stop ended";
  EXPECT_LE(static_cast<int64_t>(restarted - went_on), kLimitMs + 4000)
      << "restarted late";
}

}  // namespace
}  // namespace zarn::e2e
