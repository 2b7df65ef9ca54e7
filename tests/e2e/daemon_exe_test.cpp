// ZARNDaemon.exe started bare, as a checker starts it: the hand-over
// command decides whether it stays.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "daemon_fixture.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_status_view.h"
#include "watchdog/version.h"

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

// The version lives once, in project(): the version resource and the
// manifest's assembly identity both carry it.
TEST(ZARNDaemonExe, VersionResourceAndManifestCarryTheProjectVersion) {
  const std::wstring exe = win32::OwnFolder() + L"ZARNDaemon.exe";
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\",
                               reinterpret_cast<void**>(&fixed), &fixed_size));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), ZARN_VERSION_MAJOR);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), ZARN_VERSION_MINOR);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), ZARN_VERSION_PATCH);

  const HMODULE image = ::LoadLibraryExW(
      exe.c_str(), nullptr,
      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  std::string manifest;
  if (const HRSRC found = ::FindResourceW(
          image, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST)) {
    if (const HGLOBAL loaded = ::LoadResource(image, found)) {
      manifest.assign(static_cast<const char*>(::LockResource(loaded)),
                      ::SizeofResource(image, found));
    }
  }
  ::FreeLibrary(image);
  const std::string identity = "name=\"Quenholt.ZARNDaemon\" version=\"" +
                               std::string(ZARN_VERSION_STRING) + ".0\"";
  EXPECT_NE(manifest.find(identity), std::string::npos)
      << "no " << identity << " in:\n"
      << manifest;
}

}  // namespace
}  // namespace zarn::e2e
