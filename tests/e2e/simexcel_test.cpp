// SimExcel's association of .zsim, as someone trying the daemon makes it
// and removes it again.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "daemon_fixture.h"

namespace zarn::e2e {
namespace {

constexpr wchar_t kProgId[] = L"ZARN.SimWorkbook";

// The default value of HKEY_`root`\Software\Classes\`subkey`; nothing when
// the key is missing.
std::optional<std::wstring> ClassesDefault(HKEY root,
                                           const std::wstring& subkey) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (::RegGetValueW(root, (L"Software\\Classes\\" + subkey).c_str(), nullptr,
                     RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

class SimExcelTest : public DaemonFixture {};

TEST_F(SimExcelTest, UnregisterRemovesWhatRegisterWroteAndNothingElse) {
  const std::wstring command =
      std::wstring(kProgId) + L"\\shell\\open\\command";
  struct Case {
    const char* name;
    // Another program's class that took .zsim over after /register.
    const wchar_t* taken_over_by;
  };
  for (const Case& c : {Case{"own association", nullptr},
                        Case{".zsim taken over", L"Andere.Mappe"}}) {
    SCOPED_TRACE(c.name);
    RegisterSimExcel();
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      ASSERT_EQ(ClassesDefault(root, L".zsim"), kProgId);
      ASSERT_TRUE(ClassesDefault(root, command).has_value());
      if (c.taken_over_by) {
        ASSERT_TRUE(SetClassesDefault(root, L".zsim", c.taken_over_by));
      }
    }

    WatchedProcess unregistering =
        StartProcess(sim_excel_exe(), L"/unregister", app());
    ASSERT_TRUE(unregistering.valid());
    ASSERT_TRUE(unregistering.WaitForExit(kPatienceMs));
    EXPECT_EQ(unregistering.ExitCode(), 0u);

    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      EXPECT_EQ(ClassesDefault(root, command), std::nullopt);
      if (c.taken_over_by) {
        EXPECT_EQ(ClassesDefault(root, L".zsim"), c.taken_over_by);
      } else {
        EXPECT_EQ(ClassesDefault(root, L".zsim"), std::nullopt);
      }
    }
    RemoveClasses(L".zsim");
  }
}

}  // namespace
}  // namespace zarn::e2e
