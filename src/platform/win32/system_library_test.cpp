#include "platform/win32/system_library.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/wide.h"
#include "testing/win32/test_temp_folder.h"

namespace zarn {
namespace {

TEST(SystemLibraryTest, FindsACallableExportOfASystemDll) {
  const win32::SystemLibrary kernel(L"kernel32.dll");
  ASSERT_TRUE(kernel.loaded());
  decltype(::GetCurrentProcessId)* get_id = nullptr;
  ASSERT_TRUE(kernel.Find("GetCurrentProcessId", get_id));
  EXPECT_EQ(get_id(), ::GetCurrentProcessId());
}

TEST(SystemLibraryTest, MissingExportOrDllIsNullNotACrash) {
  decltype(::GetCurrentProcessId)* function = ::GetCurrentProcessId;
  EXPECT_FALSE(
      win32::SystemLibrary(L"kernel32.dll").Find("NoSuchZarnExport", function));
  EXPECT_EQ(function, nullptr);

  const win32::SystemLibrary missing(L"zarn_no_such_library.dll");
  EXPECT_FALSE(missing.loaded());
  function = ::GetCurrentProcessId;
  EXPECT_FALSE(missing.Find("GetCurrentProcessId", function));
  EXPECT_EQ(function, nullptr);
}

// A DLL planted in the current folder under a name the system lacks is
// found by a plain LoadLibrary, never by the daemon.
TEST(SystemLibraryTest, DllInTheCurrentFolderIsNotLoaded) {
  win32::TestTempFolder folder;
  wchar_t system[MAX_PATH + 1] = {};
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring planted = L"zarn_planted_library.dll";
  ASSERT_TRUE(::CopyFileW(
      (std::wstring(system) + L"\\version.dll").c_str(),
      win32::ToWide(folder / win32::FromWide(planted)).c_str(), FALSE));
  wchar_t previous[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(win32::ToWide(folder.path()).c_str()));

  const bool loaded_by_system_library =
      win32::SystemLibrary(planted.c_str()).loaded();
  // The check can fail: an unrestricted search does find the copy.
  HMODULE plain = ::LoadLibraryW(planted.c_str());

  ::SetCurrentDirectoryW(previous);
  if (plain) ::FreeLibrary(plain);
  EXPECT_FALSE(loaded_by_system_library);
  EXPECT_NE(plain, nullptr);
}

}  // namespace
}  // namespace zarn
