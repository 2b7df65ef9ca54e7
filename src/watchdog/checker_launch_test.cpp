#include "watchdog/checker_launch.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "testing/fake_clock.h"
#include "testing/fake_code_page_converter.h"
#include "testing/fake_file_appender.h"
#include "testing/fake_regional.h"
#include "testing/fake_settings_store.h"
#include "testing/fake_shell.h"
#include "testing/helpers_fixture.h"

namespace zarn {
namespace {

constexpr char16_t kBook[] = u"D:\\Data\\My Book.xls";
// The local time of the restart that starts the workbook.
const DateTime kNow = DateTime::FromCivil(2026, 12, 6, 3, 41, 47);

class CheckerLaunchTest : public HelpersFixture {
 protected:
  CheckerLaunchTest() {
    fs_.AddFolder(u"C:\\Logs");
    log_.set_path(u"C:\\Logs\\daemon.log");
  }

  FakeClock clock_;
  FakeRegional regional_;
  FakeSettingsStore settings_;
  FakeShell shell_;
  FakeFileAppender files_;
  FakeCodePageConverter code_pages_;
  DaemonLog log_{helpers_, files_, clock_, regional_, code_pages_};
  CheckerLaunch launch_{settings_, shell_, log_};
};

TEST_F(CheckerLaunchTest, BuildsExcelCommandLineWithQuotedPaths) {
  EXPECT_EQ(
      BuildExcelCommandLine(u"C:\\Office\\EXCEL.EXE", u"D:\\Data\\Book.xls"),
      u"\"C:\\Office\\EXCEL.EXE\" /r \"D:\\Data\\Book.xls\"");
}

TEST_F(CheckerLaunchTest, FindAssociatedProgramTrimsBlanks) {
  shell_.Associate(kBook, u"  C:\\Office\\EXCEL.EXE  ");
  EXPECT_EQ(launch_.FindAssociatedProgram(kBook), u"C:\\Office\\EXCEL.EXE");
  EXPECT_EQ(launch_.FindAssociatedProgram(u"D:\\none.xls"), u"");
}

TEST_F(CheckerLaunchTest, StartsOnlyProgramsEndingInExcelExe) {
  struct Case {
    const char16_t* association;
    bool started;
  };
  const Case cases[] = {
      {u"C:\\Office\\EXCEL.EXE", true},
      {u"c:\\programme\\office\\excel.exe", true},
      {u"C:\\Tools\\MYEXCEL.EXE", true},
      {u" C:\\Office\\Excel.Exe ", true},
      {u"C:\\Office\\CALC.EXE", false},
      {u"C:\\Office\\EXCEL.EXE.bak", false},
      {u"XCEL.EXE", false},
      {u"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.association));
    FakeShell shell;
    CheckerLaunch launch(settings_, shell, log_);
    shell.Associate(kBook, c.association);
    launch.StartCheckerWorkbook(kBook, kNow);
    ASSERT_EQ(shell.started().size(), c.started ? 1u : 0u);
    if (c.started) {
      EXPECT_EQ(shell.started()[0].command_line,
                BuildExcelCommandLine(TrimSpaces(c.association), kBook));
    }
  }
  EXPECT_EQ(files_.attempts(), 0);
}

TEST_F(CheckerLaunchTest, PellamShowStatusformTrueAloneShowsExcel) {
  struct Case {
    const char16_t* value;  // nullptr: the key is missing
    ShowWindow show;
  };
  const Case cases[] = {
      {nullptr, ShowWindow::kNormal}, {u"True", ShowWindow::kNormal},
      {u"true", ShowWindow::kHidden}, {u"False", ShowWindow::kHidden},
      {u"", ShowWindow::kHidden},     {u"True ", ShowWindow::kHidden},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? Utf16ToUtf8(c.value) : "missing");
    FakeSettingsStore settings;
    FakeShell shell;
    if (c.value) settings.Set(settings::kPellamShowStatusform, c.value);
    shell.Associate(kBook, u"C:\\Office\\EXCEL.EXE");
    CheckerLaunch launch(settings, shell, log_);
    launch.StartCheckerWorkbook(kBook, kNow);
    ASSERT_EQ(shell.started().size(), 1u);
    EXPECT_EQ(shell.started()[0].show, c.show);
  }
}

TEST_F(CheckerLaunchTest, NoAssociationStartsAndReadsNothing) {
  launch_.StartCheckerWorkbook(kBook, kNow);
  EXPECT_EQ(shell_.start_attempts(), 0);
  EXPECT_EQ(settings_.read_count(), 0);
  EXPECT_EQ(files_.attempts(), 0);
}

TEST_F(CheckerLaunchTest, FailedStartIsLoggedWithItsErrorCode) {
  shell_.Associate(kBook, u"C:\\Office\\EXCEL.EXE");
  shell_.set_start_error(2);
  launch_.StartCheckerWorkbook(kBook, kNow);
  EXPECT_EQ(shell_.start_attempts(), 1);
  EXPECT_EQ(files_.File(u"C:\\Logs\\daemon.log"),
            "06.12.2026 03:41:47,2, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN "
            "fehlgeschlagen 'D:\\Data\\My Book.xls'\"\r\n");
}

TEST_F(CheckerLaunchTest, PathWithQuotationMarkIsRefusedAndLogged) {
  const std::u16string book = u"Check.xls\" /e \"D:\\evil.xls";
  shell_.Associate(book, u"C:\\Office\\EXCEL.EXE");
  launch_.StartCheckerWorkbook(book, kNow);
  EXPECT_TRUE(shell_.lookups().empty());
  EXPECT_EQ(shell_.start_attempts(), 0);
  EXPECT_EQ(files_.File(u"C:\\Logs\\daemon.log"),
            "06.12.2026 03:41:47,123, Typ: 7, ID: 0, \"Err: ZARND: Start ZARN "
            "fehlgeschlagen '" +
                Utf16ToUtf8(book) + "'\"\r\n");
}

}  // namespace
}  // namespace zarn
