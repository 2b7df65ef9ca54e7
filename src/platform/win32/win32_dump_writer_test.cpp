#include "platform/win32/win32_dump_writer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/win32/wide.h"
#include "testing/win32/test_minidump.h"
#include "testing/win32/test_processes.h"
#include "testing/win32/test_temp_folder.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

using win32_test::HelperProcess;

class Win32DumpWriterTest : public ::testing::Test {
 protected:
  std::wstring Path(std::u16string_view name) const {
    return win32::ToWide(temp_ / name);
  }
  // An abandoned dump ends with its worker; until then none other starts.
  DumpOutcome WriteWhenFree(uint32_t id, std::u16string_view name) {
    DumpOutcome outcome;
    for (int i = 0; i < 200; ++i) {
      outcome = writer_->WriteDump(id, temp_ / name, 10000);
      if (outcome.status != DumpStatus::kUnavailable) break;
      ::Sleep(50);
    }
    return outcome;
  }

  win32::TestTempFolder temp_;
  std::unique_ptr<DumpWriter> writer_ = NewWin32DumpWriter();
};

TEST_F(Win32DumpWriterTest, DumpsThreadsAndModulesOfAnotherProcess) {
  HelperProcess excel(L"EXCEL.EXE");
  ASSERT_TRUE(excel.running());
  const DumpOutcome outcome = WriteWhenFree(excel.id(), u"excel.dmp");
  ASSERT_EQ(outcome.status, DumpStatus::kWritten) << outcome.error;
  const std::optional<std::string> bytes =
      win32::ReadFileBytes(Path(u"excel.dmp"));
  ASSERT_TRUE(bytes.has_value());
  EXPECT_TRUE(win32_test::IsDumpOfThreadsAndModule(*bytes, L"EXCEL.EXE"));
  // Stacks and lists, not the heap: far below a full dump.
  EXPECT_LT(bytes->size(), 64u << 20);
  EXPECT_TRUE(excel.running()) << "a dump ends nothing";
}

TEST_F(Win32DumpWriterTest, NoProcessNoFileAndAnExistingFileStays) {
  HelperProcess excel(L"EXCEL.EXE");
  ASSERT_TRUE(excel.running());
  const uint32_t gone = excel.id();
  excel.End();
  ASSERT_TRUE(win32_test::WaitUntilGone(gone));
  EXPECT_EQ(writer_->WriteDump(gone, temp_ / u"gone.dmp", 10000).status,
            DumpStatus::kNoProcess);
  EXPECT_EQ(::GetFileAttributesW(Path(u"gone.dmp").c_str()),
            INVALID_FILE_ATTRIBUTES);

  HelperProcess other(L"EXCEL.EXE");
  ASSERT_TRUE(other.running());
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(temp_ / u"taken.dmp", {'x'}));
  const DumpOutcome taken = WriteWhenFree(other.id(), u"taken.dmp");
  EXPECT_EQ(taken.status, DumpStatus::kNoFile);
  EXPECT_EQ(taken.error, static_cast<uint32_t>(ERROR_FILE_EXISTS));
  EXPECT_EQ(win32::ReadFileBytes(Path(u"taken.dmp")), "x");
  EXPECT_EQ(WriteWhenFree(other.id(), u"missing\\x.dmp").status,
            DumpStatus::kNoFile);
}

// A budget of nothing gives the dump up at once; its file goes, and the
// next dump waits for the abandoned one to stop rather than run beside it.
TEST_F(Win32DumpWriterTest, AbandonedDumpLeavesNoFile) {
  HelperProcess excel(L"EXCEL.EXE");
  ASSERT_TRUE(excel.running());
  const DumpOutcome outcome =
      writer_->WriteDump(excel.id(), temp_ / u"late.dmp", 0);
  if (outcome.status == DumpStatus::kWritten) {
    GTEST_SKIP() << "the dump was done before the wait began";
  }
  EXPECT_EQ(outcome.status, DumpStatus::kTimedOut);
  EXPECT_EQ(WriteWhenFree(excel.id(), u"next.dmp").status,
            DumpStatus::kWritten);
  EXPECT_EQ(::GetFileAttributesW(Path(u"late.dmp").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32DumpWriterTest, FreeSpaceListingAndDeletion) {
  const std::optional<uint64_t> free = writer_->FreeBytes(temp_.path());
  ASSERT_TRUE(free.has_value());
  EXPECT_GT(*free, 0u);
  EXPECT_EQ(writer_->FreeBytes(u"Q:\\nirgends"), std::nullopt);

  ASSERT_TRUE(win32::TestTempFolder::WriteFile(temp_ / u"a.dmp", {'a'}));
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(temp_ / u"Prüfung.txt", {'b'}));
  ASSERT_TRUE(::CreateDirectoryW(Path(u"ZARN_ordner.dmp").c_str(), nullptr));
  auto names = writer_->ListFiles(temp_.path());
  ASSERT_TRUE(names.has_value());
  std::sort(names->begin(), names->end());
  EXPECT_EQ(*names, (std::vector<std::u16string>{u"Prüfung.txt", u"a.dmp"}));
  EXPECT_EQ(writer_->ListFiles(temp_ / u"fehlt"), std::nullopt);

  EXPECT_TRUE(writer_->RemoveFile(temp_ / u"a.dmp"));
  EXPECT_FALSE(writer_->RemoveFile(temp_ / u"a.dmp"));
  EXPECT_EQ(writer_->ListFiles(temp_.path()),
            (std::vector<std::u16string>{u"Prüfung.txt"}));
}

}  // namespace
}  // namespace zarn
