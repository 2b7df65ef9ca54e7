#include "testing/fake_file_appender.h"

#include <gtest/gtest.h>

#include "testing/fake_shell.h"

namespace zarn {
namespace {

TEST(FakeFileAppenderTest, AppendsAfterTheScriptedFailedOpens) {
  FakeFileAppender files;
  files.FailOpens(2);
  EXPECT_EQ(files.Append(u"C:\\a.log", "x"), AppendResult::kOpenFailed);
  EXPECT_EQ(files.Append(u"C:\\a.log", "x"), AppendResult::kOpenFailed);
  EXPECT_EQ(files.File(u"C:\\a.log"), std::nullopt);
  EXPECT_EQ(files.Append(u"C:\\a.log", "one\r\n"), AppendResult::kWritten);
  EXPECT_EQ(files.Append(u"C:\\a.log", "two\r\n"), AppendResult::kWritten);
  EXPECT_EQ(files.File(u"C:\\a.log"), "one\r\ntwo\r\n");
  EXPECT_EQ(files.attempts(), 4);
}

TEST(FakeFileAppenderTest, FailedWriteLeavesTheCreatedFileEmpty) {
  FakeFileAppender files;
  files.set_fail_writes(true);
  EXPECT_EQ(files.Append(u"C:\\a.log", "x"), AppendResult::kWriteFailed);
  EXPECT_EQ(files.File(u"C:\\a.log"), "");
}

TEST(FakeShellTest, AnswersFromTheTableAndRecordsStarts) {
  FakeShell shell;
  EventJournal journal;
  shell.set_journal(&journal);
  shell.Associate(u"C:\\B.xls", u" C:\\Office\\EXCEL.EXE ");
  EXPECT_EQ(shell.FindExecutable(u"C:\\B.xls"), u" C:\\Office\\EXCEL.EXE ");
  EXPECT_EQ(shell.FindExecutable(u"C:\\C.xls"), u"");
  EXPECT_EQ(shell.StartProcess(u"a b", ShowWindow::kHidden), 0u);
  shell.set_start_error(2);
  EXPECT_EQ(shell.StartProcess(u"c", ShowWindow::kNormal), 2u);
  ASSERT_EQ(shell.started().size(), 1u);
  EXPECT_EQ(shell.started()[0].command_line, u"a b");
  EXPECT_EQ(shell.started()[0].show, ShowWindow::kHidden);
  EXPECT_EQ(shell.start_attempts(), 2);
  EXPECT_EQ(journal.IndexOf("start: c"), 3);
}

}  // namespace
}  // namespace zarn
