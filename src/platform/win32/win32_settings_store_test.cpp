#include "platform/win32/win32_settings_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/wide.h"

namespace zarn {
namespace {

// Each test works under a key of its own and removes it afterwards.
class Win32SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    key_path_ = u"Software\\ZARNDaemonTests\\";
    for (const char* p = info->name(); *p; ++p) key_path_ += char16_t(*p);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::ToWide(key_path_).c_str());
    store_ = NewWin32SettingsStore(key_path_);
  }
  void TearDown() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::ToWide(key_path_).c_str());
  }

  void WriteRaw(const wchar_t* name, DWORD type, const void* data,
                DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(
        ::RegCreateKeyExW(HKEY_CURRENT_USER, win32::ToWide(key_path_).c_str(),
                          0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
    ::RegCloseKey(key);
  }

  std::u16string key_path_;
  std::unique_ptr<SettingsStore> store_;
};

TEST_F(Win32SettingsStoreTest, MissingKeyAndValueGiveTheDefault) {
  EXPECT_EQ(store_->ReadSetting(u"LiveStatus", u"fallback"), u"fallback");
  ASSERT_TRUE(store_->WriteSetting(u"Other", u"x"));
  EXPECT_EQ(store_->ReadSetting(u"LiveStatus", u"fallback"), u"fallback");
}

TEST_F(Win32SettingsStoreTest, EmptyValueReadsAsEmpty) {
  ASSERT_TRUE(store_->WriteSetting(u"DAEMONCOMMAND", u""));
  EXPECT_EQ(store_->ReadSetting(u"DAEMONCOMMAND", u"default"), u"");
}

TEST_F(Win32SettingsStoreTest, RoundTripsUmlautsAndLongValues) {
  const std::u16string umlauts = u"Überwachung größer ÄÖÜ äöü ß €";
  std::u16string long_value;
  for (int i = 0; i < 10000; ++i) long_value += char16_t(u'a' + i % 26);
  ASSERT_TRUE(store_->WriteSetting(u"Text", umlauts));
  EXPECT_EQ(store_->ReadSetting(u"Text", u""), umlauts);
  ASSERT_TRUE(store_->WriteSetting(u"Long", long_value));
  EXPECT_EQ(store_->ReadSetting(u"Long", u""), long_value);
  // Writing replaces the whole value.
  ASSERT_TRUE(store_->WriteSetting(u"Long", u"short"));
  EXPECT_EQ(store_->ReadSetting(u"Long", u""), u"short");
}

TEST_F(Win32SettingsStoreTest, ReadsValueWrittenByRegAdd) {
  std::wstring command = L"reg add \"HKCU\\" + win32::ToWide(key_path_) +
                         L"\" /v LiveStatusFunc /t REG_SZ /d SpecialCells /f";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi));
  ::WaitForSingleObject(pi.hProcess, 30000);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  EXPECT_EQ(store_->ReadSetting(u"LiveStatusFunc", u""), u"SpecialCells");
}

TEST_F(Win32SettingsStoreTest, OtherValueTypesNeverCrashOrLoseTheValue) {
  const DWORD number = 42;
  WriteRaw(L"Dword", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(store_->ReadSetting(u"Dword", u"default"), u"default");

  const wchar_t expand[] = L"%TEMP%\\zarn";
  WriteRaw(L"Expand", REG_EXPAND_SZ, expand, sizeof expand);
  EXPECT_EQ(store_->ReadSetting(u"Expand", u""), u"%TEMP%\\zarn");

  const BYTE binary[] = {1, 2, 3};
  WriteRaw(L"Binary", REG_BINARY, binary, sizeof binary);
  EXPECT_EQ(store_->ReadSetting(u"Binary", u"d"), u"d");

  // A REG_SZ stored without its terminating NUL still reads whole.
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  WriteRaw(L"NoNul", REG_SZ, unterminated, sizeof unterminated);
  EXPECT_EQ(store_->ReadSetting(u"NoNul", u""), u"abc");

  // Reading left every value as it was.
  DWORD type = 0, data = 0, size = sizeof data;
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, win32::ToWide(key_path_).c_str(),
                           L"Dword", RRF_RT_REG_DWORD, &type, &data, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(data, 42u);
}

// The store keeps its key open between reads; the checker may delete its
// settings and write them anew meanwhile.
TEST_F(Win32SettingsStoreTest, KeyDeletedAndWrittenAnewIsReadAgain) {
  ASSERT_TRUE(store_->WriteSetting(u"LiveStatusFunc", u"Analyse"));
  ASSERT_EQ(store_->ReadSetting(u"LiveStatusFunc", u""), u"Analyse");
  ASSERT_EQ(
      ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::ToWide(key_path_).c_str()),
      ERROR_SUCCESS);
  EXPECT_EQ(store_->ReadSetting(u"LiveStatusFunc", u"gone"), u"gone");
  const wchar_t again[] = L"SpecialCells";
  WriteRaw(L"LiveStatusFunc", REG_SZ, again, sizeof again);
  EXPECT_EQ(store_->ReadSetting(u"LiveStatusFunc", u""), u"SpecialCells");
}

// Short values are read in one call, longer ones with a buffer of their
// size: the lengths around that change, with and without a stored NUL.
TEST_F(Win32SettingsStoreTest, ValuesAroundTheFirstBufferSizeReadWhole) {
  for (const size_t length : {254u, 255u, 256u, 257u, 511u, 512u}) {
    for (const bool nul : {true, false}) {
      SCOPED_TRACE(testing::Message()
                   << length << (nul ? " with" : " without") << " NUL");
      std::wstring value;
      for (size_t i = 0; i < length; ++i) value += wchar_t(L'A' + i % 26);
      WriteRaw(L"Sized", REG_SZ, value.c_str(),
               static_cast<DWORD>((length + (nul ? 1 : 0)) * sizeof(wchar_t)));
      EXPECT_EQ(store_->ReadSetting(u"Sized", u""), win32::FromWide(value));
    }
  }
  // A long value of another type is no text either.
  const std::vector<BYTE> binary(4000, 0x41);
  WriteRaw(L"LongBinary", REG_BINARY, binary.data(),
           static_cast<DWORD>(binary.size()));
  EXPECT_EQ(store_->ReadSetting(u"LongBinary", u"d"), u"d");
}

}  // namespace
}  // namespace zarn
