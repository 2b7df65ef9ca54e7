#include "platform/win32/win32_machine_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/wide.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

TEST(Win32MachineRegistryTest, ValuesAndKeysComeAndGoAsStored) {
  if (!win32::RunningUnderWine()) {
    GTEST_SKIP() << "changes HKEY_LOCAL_MACHINE, which Windows leaves to "
                    "administrators";
  }
  const std::u16string key =
      u"SOFTWARE\\ZARN Prüfung " +
      win32::FromWide(std::to_wstring(::GetCurrentProcessId()));
  const std::u16string sub = key + u"\\Unter";
  std::unique_ptr<MachineRegistry> registry = NewWin32MachineRegistry();
  ASSERT_FALSE(registry->KeyExists(key));
  ASSERT_EQ(registry->CreateKey(key), 0u);
  EXPECT_TRUE(registry->KeyExists(key));
  EXPECT_EQ(registry->CreateKey(key), 0u);

  const RegistryValue text{kRegText, {0xFC, 0, 'x', 0, 0, 0}};
  const RegistryValue number{kRegNumber, {7, 0, 0, 0}};
  EXPECT_EQ(registry->WriteValue(key, u"Text", text), 0u);
  EXPECT_EQ(registry->WriteValue(key, u"Zahl", number), 0u);
  EXPECT_EQ(registry->ReadValue(key, u"text"), text);
  EXPECT_EQ(registry->ReadValue(key, u"Zahl"), number);
  EXPECT_EQ(registry->ReadValue(key, u"Fehlt"), std::nullopt);
  EXPECT_EQ(registry->ReadValue(sub, u"Zahl"), std::nullopt);

  // A key is deleted only when nothing is left in it.
  EXPECT_EQ(registry->DeleteEmptyKey(key), kErrorKeyNotEmpty);
  EXPECT_EQ(registry->DeleteValue(key, u"Text"), 0u);
  EXPECT_EQ(registry->DeleteValue(key, u"Zahl"), 0u);
  EXPECT_EQ(registry->DeleteValue(key, u"Zahl"), 0u);
  ASSERT_EQ(registry->CreateKey(sub), 0u);
  EXPECT_EQ(registry->DeleteEmptyKey(key), kErrorKeyNotEmpty);
  EXPECT_EQ(registry->DeleteEmptyKey(sub), 0u);
  EXPECT_EQ(registry->DeleteEmptyKey(key), 0u);
  EXPECT_FALSE(registry->KeyExists(key));
  EXPECT_EQ(registry->DeleteEmptyKey(key), 0u);
  EXPECT_EQ(registry->DeleteValue(key, u"Text"), 0u);
}

}  // namespace
}  // namespace zarn
