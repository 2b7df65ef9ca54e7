// "ZARNDaemon.exe /eventlog install" and "uninstall" on the machine's real
// registry, as an administrator runs them: the source's registration comes
// and goes, and the registry is as it was afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "daemon_fixture.h"
#include "platform/machine_registry.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn::e2e {
namespace {

const std::wstring kSourceKey = win32::ToWide(kEventSourceKeyPath);

// The values of the source's key; nothing when there is no key.
std::optional<RegistryValues> SourceKey() {
  win32::UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSourceKey.c_str(), 0, KEY_READ,
                      key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  RegistryValues values;
  win32::ForEachRegistryValue(
      key.get(), [&](std::wstring name, DWORD type, std::vector<BYTE> data) {
        values[name] = {type, std::move(data)};
      });
  return values;
}

class EventSourceTest : public DaemonFixture {
 protected:
  // Runs the folder's daemon with `arguments`, reads its message box and
  // clicks it away; the box's text, and the exit code in `exit_code`.
  std::wstring Run(const std::wstring& arguments, DWORD& exit_code) {
    WatchedProcess daemon = StartProcess(daemon_exe(), arguments, app());
    HWND box = nullptr;
    WaitUntil(
        [&] {
          box = FindWindowOf(daemon.id(), L"#32770", nullptr);
          return box && ::IsWindowVisible(box);
        },
        kPatienceMs);
    std::wstring text;
    for (HWND child = box ? ::GetWindow(box, GW_CHILD) : nullptr; child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      if (WindowText(child).size() > text.size()) text = WindowText(child);
    }
    if (box) ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(daemon.WaitForExit(kPatienceMs));
    exit_code = daemon.ExitCode().value_or(99);
    return text;
  }
};

TEST_F(EventSourceTest, InstallThenUninstallLeavesTheRegistryAsItWas) {
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSourceKey.c_str());
  ASSERT_EQ(SourceKey(), std::nullopt);
  DWORD exit_code = 99;
  EXPECT_EQ(Run(L"/eventlog install", exit_code)
                .rfind(L"Die Ereignisquelle ZARNDaemon ist eingerichtet.", 0),
            0u);
  EXPECT_EQ(exit_code, 0u);
  const std::wstring exe = daemon_exe();
  const auto* bytes = reinterpret_cast<const BYTE*>(exe.c_str());
  const std::vector<BYTE> path(bytes, bytes + (exe.size() + 1) * 2);
  EXPECT_EQ(SourceKey(),
            (RegistryValues{{L"EventMessageFile", {REG_SZ, path}},
                            {L"CategoryMessageFile", {REG_SZ, path}},
                            {L"CategoryCount", {REG_DWORD, {4, 0, 0, 0}}},
                            {L"TypesSupported", {REG_DWORD, {7, 0, 0, 0}}}}));

  EXPECT_EQ(Run(L"/eventlog uninstall", exit_code)
                .rfind(L"Die Ereignisquelle ZARNDaemon ist entfernt.", 0),
            0u);
  EXPECT_EQ(exit_code, 0u);
  EXPECT_EQ(SourceKey(), std::nullopt);
  EXPECT_FALSE(HandOverWritten());
}

}  // namespace
}  // namespace zarn::e2e
