// ZARNDaemon.exe started bare, as a checker starts it: the hand-over
// command decides whether it stays.
#include <gtest/gtest.h>

#include "daemon_fixture.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_status_view.h"

namespace zarn::e2e {
namespace {

class DaemonExeTest : public DaemonFixture {};

TEST_F(DaemonExeTest, EmptyDaemonCommandEndsWithinASecondAndWritesNothing) {
  const std::wstring key = win32::ToWide(kSettingsKeyPath);
  struct Case {
    const char* name;
    bool key_exists;
  };
  for (const Case& c :
       {Case{"no key at all", false}, Case{"empty DAEMONCOMMAND", true}}) {
    SCOPED_TRACE(c.name);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    if (c.key_exists) {
      SetSetting(settings::kDaemonLog, win32::FromWide(daemon_log()));
      SetSetting(settings::kLiveStatusTime, NowText());
      SetSetting(settings::kDaemonCommand, u"");
    }
    const std::optional<RegistryValues> before = ReadKeyValues(key);

    WatchedProcess daemon = StartProcess(daemon_exe(), L"", app());
    ASSERT_TRUE(daemon.valid());
    ASSERT_TRUE(daemon.WaitForExit(kPatienceMs));

    const std::optional<int64_t> lifetime = daemon.LifetimeMs();
    ASSERT_TRUE(lifetime.has_value());
    EXPECT_LT(*lifetime, 1000) << "the daemon should end at once";
    EXPECT_EQ(daemon.ExitCode(), 0u);
    EXPECT_EQ(ReadKeyValues(key), before);
    EXPECT_FALSE(FileExists(daemon_log()));
  }
}

TEST_F(DaemonExeTest, TakenOverDaemonCommandIsCleared) {
  WatchedProcess daemon = StartDaemon(u"x");
  ASSERT_TRUE(daemon.valid());
  HWND window = WaitForStatusWindow(daemon.id());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WaitUntil(
      [&] { return Setting(settings::kDaemonCommand).empty(); }, kPatienceMs));
  EXPECT_TRUE(daemon.running()) << "the daemon supervises after taking over";

  Click(window, kCmdAbbruchId);
  ASSERT_TRUE(daemon.WaitForExit(kPatienceMs));
  EXPECT_EQ(Setting(settings::kDaemonCommand), u"");
  EXPECT_FALSE(HandOverWritten());
}

}  // namespace
}  // namespace zarn::e2e
