// SimExcel's association of .zsim, as someone trying the daemon makes it
// and removes it again.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "daemon_fixture.h"

namespace zarn::e2e {
namespace {

constexpr wchar_t kSimProgId[] = L"ZARN.SimWorkbook";

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

bool KeyExists(HKEY root, const std::wstring& subkey) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, (L"Software\\Classes\\" + subkey).c_str(), 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

bool SetClassesValue(HKEY root, const std::wstring& subkey, const wchar_t* name,
                     const std::wstring& value) {
  return ::RegSetKeyValueW(
             root, (L"Software\\Classes\\" + subkey).c_str(), name, REG_SZ,
             value.c_str(),
             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

std::optional<std::wstring> ClassesValue(HKEY root, const std::wstring& subkey,
                                         const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (::RegGetValueW(root, (L"Software\\Classes\\" + subkey).c_str(), name,
                     RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

class SimExcelTest : public DaemonFixture {};

// /register writes the user's classes and, where it may (elevated on
// Windows, always under Wine), the machine's; /unregister removes exactly
// that from both, and leaves what other programs wrote beside it.
TEST_F(SimExcelTest, UnregisterRemovesWhatRegisterWroteAndNothingElse) {
  const std::wstring command =
      std::wstring(kSimProgId) + L"\\shell\\open\\command";
  const std::wstring print = std::wstring(kSimProgId) + L"\\shell\\print";
  struct Case {
    const char* name;
    // Another program's class that took .zsim over after /register.
    const wchar_t* taken_over_by;
    // Another program's value on .zsim and verb on our class.
    bool neighbours;
    // Registered without elevation: nothing in the machine's classes.
    bool user_only;
  };
  for (const Case& c :
       {Case{"own association", nullptr, false, false},
        Case{".zsim taken over", L"Andere.Mappe", false, false},
        Case{"others' entries beside ours", nullptr, true, false},
        Case{"taken over, with others' entries", L"Andere.Mappe", true, false},
        Case{"user's classes only", nullptr, false, true}}) {
    SCOPED_TRACE(c.name);
    RegisterSimExcel();
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      ASSERT_EQ(ClassesDefault(root, L".zsim"), kSimProgId);
      ASSERT_TRUE(ClassesDefault(root, command).has_value());
      if (c.taken_over_by) {
        ASSERT_TRUE(SetClassesDefault(root, L".zsim", c.taken_over_by));
      }
      if (c.neighbours) {
        ASSERT_TRUE(
            SetClassesValue(root, L".zsim", L"Content Type", L"text/plain"));
        ASSERT_TRUE(SetClassesDefault(root, print + L"\\command", L"x.exe"));
      }
    }
    if (c.user_only) {
      ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.zsim");
      ::RegDeleteTreeW(
          HKEY_LOCAL_MACHINE,
          (std::wstring(L"Software\\Classes\\") + kSimProgId).c_str());
    }

    WatchedProcess unregistering =
        StartProcess(sim_excel_exe(), L"/unregister", app());
    ASSERT_TRUE(unregistering.valid());
    ASSERT_TRUE(unregistering.WaitForExit(kPatienceMs));
    EXPECT_EQ(unregistering.ExitCode(), 0u);

    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      SCOPED_TRACE(root == HKEY_CURRENT_USER ? "HKCU" : "HKLM");
      EXPECT_EQ(ClassesDefault(root, command), std::nullopt);
      EXPECT_FALSE(KeyExists(root, command));
      if (c.taken_over_by) {
        EXPECT_EQ(ClassesDefault(root, L".zsim"), c.taken_over_by);
      } else {
        EXPECT_EQ(ClassesDefault(root, L".zsim"), std::nullopt);
      }
      if (c.neighbours) {
        EXPECT_EQ(ClassesValue(root, L".zsim", L"Content Type"), L"text/plain");
        EXPECT_EQ(ClassesDefault(root, print + L"\\command"), L"x.exe");
      } else {
        // Nothing else was there: no empty key of ours is left either.
        EXPECT_EQ(KeyExists(root, L".zsim"), c.taken_over_by != nullptr);
        EXPECT_FALSE(KeyExists(root, kSimProgId));
      }
    }
    RemoveClasses(L".zsim");
    RemoveClasses(kSimProgId);
  }
}

}  // namespace
}  // namespace zarn::e2e
