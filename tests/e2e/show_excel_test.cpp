// PellamShowStatusform decides whether the reopened Excel shows its
// window. fakeexcel.exe, associated with a workbook type of its own,
// records how the daemon started it.
#include <gtest/gtest.h>

#include "daemon_fixture.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_status_view.h"
#include "testing/win32/win32_test_support.h"

namespace zarn::e2e {
namespace {

constexpr wchar_t kExtension[] = L".zfake";
constexpr wchar_t kProgId[] = L"ZarnE2E.FakeWorkbook";

class ShowExcelTest : public DaemonFixture {
 protected:
  void SetUp() override {
    DaemonFixture::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    excel_ = app() + L"fakeexcel.exe";
    workbook_ = app() + L"Mappe Prüfung.zfake";
    ASSERT_TRUE(::CopyFileW((win32::OwnFolder() + L"fakeexcel.exe").c_str(),
                            excel_.c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(workbook_, ""));
    // Wine reads the machine's classes; Windows would read the user's.
    const std::wstring command = L"\"" + excel_ + L"\" \"%1\"";
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      ASSERT_TRUE(SetClassesDefault(root, kExtension, kProgId));
      ASSERT_TRUE(SetClassesDefault(
          root, std::wstring(kProgId) + L"\\shell\\open\\command", command));
    }
  }
  void TearDown() override {
    if (IsSkipped()) return;
    DaemonFixture::TearDown();
    RemoveClasses(kExtension);
    RemoveClasses(kProgId);
  }

  // The test plays a checker that has reported just now and whose Excel
  // window is gone; "Jetzt neu starten" makes the daemon reopen the
  // workbook at once. Gives fakeexcel's record.
  std::string RestartAndRecord() {
    const std::wstring record = excel_ + L".record";
    ::DeleteFileW(record.c_str());
    SetSetting(settings::kLiveStatusTime, NowText());
    SetSetting(settings::kLiveStatusExec, u"Mappe Prüfung.zfake");
    WatchedProcess daemon = StartDaemon(u"ZEIGEN");
    EXPECT_TRUE(daemon.valid());
    HWND window = WaitForStatusWindow(daemon.id());
    EXPECT_NE(window, nullptr);
    if (!window) return "";
    Click(window, kNeuStartenId);
    EXPECT_TRUE(daemon.WaitForExit(kPatienceMs));
    EXPECT_TRUE(WaitUntil([&] { return FileExists(record); }, kPatienceMs));
    return ReadFileBytes(record).value_or("");
  }

  std::wstring excel_;
  std::wstring workbook_;
};

TEST_F(ShowExcelTest, OnlyTrueShowsTheReopenedExcel) {
  WriteConfig(L"CANCELTIME=00:00:30\r\n");
  struct Case {
    const char* name;
    std::optional<std::u16string> value;
    bool shown;
  };
  const Case cases[] = {
      {"True", u"True", true},        {"missing", std::nullopt, true},
      {"lower case", u"true", false}, {"False", u"False", false},
      {"empty", u"", false},
  };
  const std::string command_line =
      Utf8(L"\"" + excel_ + L"\" /r \"" + workbook_ + L"\"");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetSettings();
    if (c.value) SetSetting(settings::kPellamShowStatusform, *c.value);
    const std::string record = RestartAndRecord();
    EXPECT_EQ(record, command_line + "\r\nusesShowWindow=1\r\nshowWindow=" +
                          (c.shown ? "1" : "0") +
                          "\r\nvisible=" + (c.shown ? "1" : "0") + "\r\n");
    EXPECT_EQ(Setting(settings::kStartedByDaemon), u"True");
    EXPECT_EQ(Setting(settings::kCommand), u"ZEIGEN");
  }
}

}  // namespace
}  // namespace zarn::e2e
