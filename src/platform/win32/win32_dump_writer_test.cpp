#include "platform/win32/win32_dump_writer.h"

#include <gtest/gtest.h>
#include <windows.h>
// aclapi.h, sddl.h and tlhelp32.h need windows.h first.
#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

#include "platform/win32/token_user.h"
#include "platform/win32/wide.h"
#include "testing/win32/test_minidump.h"
#include "testing/win32/test_processes.h"
#include "testing/win32/test_temp_folder.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

using win32_test::HelperProcess;

// Whether a thread of process `id` is suspended: SuspendThread tells the
// count it had before.
bool AnyThreadSuspended(uint32_t id) {
  win32::UniqueFileHandle snapshot(
      ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  bool suspended = false;
  for (BOOL more = ::Thread32First(snapshot.get(), &entry); more;
       more = ::Thread32Next(snapshot.get(), &entry)) {
    win32::UniqueHandle thread(
        ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
    if (entry.th32OwnerProcessID != id || !thread) continue;
    suspended |= ::SuspendThread(thread.get()) != 0;
    ::ResumeThread(thread.get());
  }
  return suspended;
}

// The owner and access list of `path` as text ("O:S-1-5-...D:(A;;FA;;;...)").
std::wstring SecurityText(const std::wstring& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  LPWSTR text = nullptr;
  const SECURITY_INFORMATION parts =
      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, parts, nullptr,
                              nullptr, nullptr, nullptr,
                              &descriptor) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring result;
  if (::ConvertSecurityDescriptorToStringSecurityDescriptorW(
          descriptor, SDDL_REVISION_1, parts, &text, nullptr)) {
    result = text;
    ::LocalFree(text);
  }
  ::LocalFree(descriptor);
  return result;
}

class Win32DumpWriterTest : public ::testing::Test {
 protected:
  std::wstring Path(std::u16string_view name) const {
    return win32::ToWide(temp_ / name);
  }
  // Runs `job` to its end, within ten seconds.
  bool RunToEnd(std::function<void(DumpCalls&)> job) {
    return writer_->Run(10000, std::move(job));
  }
  DumpOutcome WriteDump(uint32_t id, std::u16string_view name) {
    DumpOutcome outcome;
    RunToEnd(
        [&](DumpCalls& calls) { outcome = calls.WriteDump(id, temp_ / name); });
    return outcome;
  }

  win32::TestTempFolder temp_;
  std::unique_ptr<DumpWriter> writer_ = NewWin32DumpWriter();
};

// Into a folder of its own making; both belong to our user, with an entry
// of its own that lets a standard daemon delete what an elevated one
// wrote, unlike what the system makes by default beside them.
TEST_F(Win32DumpWriterTest, DumpsThreadsAndModulesOfAnotherProcess) {
  HelperProcess excel(L"EXCEL.EXE");
  ASSERT_TRUE(excel.running());
  const std::u16string folder = temp_ / u"Dumps";
  DumpOutcome outcome;
  EXPECT_TRUE(RunToEnd([&](DumpCalls& calls) {
    calls.MakeFolder(folder);
    outcome = calls.WriteDump(excel.id(), folder + u"\\excel.dmp");
  }));
  ASSERT_EQ(outcome.status, DumpStatus::kWritten) << outcome.error;
  const std::wstring dump = win32::ToWide(folder + u"\\excel.dmp");
  const std::optional<std::string> bytes = win32::ReadFileBytes(dump);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_TRUE(win32_test::IsDumpOfThreadsAndModule(*bytes, L"EXCEL.EXE"));
  // Stacks and lists, not the heap: far below a full dump.
  EXPECT_LT(bytes->size(), 64u << 20);
  EXPECT_TRUE(excel.running()) << "a dump ends nothing";
  EXPECT_FALSE(AnyThreadSuspended(excel.id()));

  const std::wstring sid = win32::SidText(win32::OwnUserSid());
  ASSERT_TRUE(::CreateDirectoryW(Path(u"plain").c_str(), nullptr));
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(folder + u"\\plain", {'x'}));
  const std::wstring made = SecurityText(win32::ToWide(folder));
  EXPECT_TRUE(made.starts_with(L"O:" + sid + L"D:")) << made;
  EXPECT_NE(made, SecurityText(Path(u"plain")));
  const std::wstring written = SecurityText(dump);
  EXPECT_TRUE(written.starts_with(L"O:" + sid + L"D:")) << written;
  EXPECT_NE(written.find(L"(A;;FA;;;" + sid + L")"), std::wstring::npos)
      << written;
  EXPECT_NE(written, SecurityText(win32::ToWide(folder + u"\\plain")));
}

TEST_F(Win32DumpWriterTest, NoProcessNoFileAndAnExistingFileStays) {
  HelperProcess excel(L"EXCEL.EXE");
  ASSERT_TRUE(excel.running());
  const uint32_t gone = excel.id();
  excel.End();
  ASSERT_TRUE(win32_test::WaitUntilGone(gone));
  EXPECT_EQ(WriteDump(gone, u"gone.dmp").status, DumpStatus::kNoProcess);
  EXPECT_EQ(::GetFileAttributesW(Path(u"gone.dmp").c_str()),
            INVALID_FILE_ATTRIBUTES);

  HelperProcess other(L"EXCEL.EXE");
  ASSERT_TRUE(other.running());
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(temp_ / u"taken.dmp", {'x'}));
  const DumpOutcome taken = WriteDump(other.id(), u"taken.dmp");
  EXPECT_EQ(taken.status, DumpStatus::kNoFile);
  EXPECT_EQ(taken.error, static_cast<uint32_t>(ERROR_FILE_EXISTS));
  EXPECT_EQ(win32::ReadFileBytes(Path(u"taken.dmp")), "x");
  EXPECT_EQ(WriteDump(other.id(), u"missing\\x.dmp").status,
            DumpStatus::kNoFile);
}

// A budget of nothing gives the dump up at once; its file goes, the next
// dump waits for the abandoned one to stop rather than run beside it, and
// the process dumped runs on.
TEST_F(Win32DumpWriterTest, AbandonedDumpLeavesNoFile) {
  HelperProcess excel(L"EXCEL.EXE");
  ASSERT_TRUE(excel.running());
  const std::u16string late = temp_ / u"late.dmp";
  if (writer_->Run(0, [late, id = excel.id()](DumpCalls& calls) {
        calls.WriteDump(id, late);
      })) {
    GTEST_SKIP() << "the dump was done before the wait began";
  }
  EXPECT_EQ(WriteDump(excel.id(), u"next.dmp").status, DumpStatus::kWritten);
  EXPECT_EQ(::GetFileAttributesW(Path(u"late.dmp").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(AnyThreadSuspended(excel.id()));
}

// A job stuck in a call is given up at its budget. From then on its calls
// fail at once, but for the deletion that takes back a late dump, and the
// writer does not end before the job has returned.
// A job given up outside dbghelp holds nobody: the writer ends without
// waiting for it, and the job, going on, never starts a dump.
TEST_F(Win32DumpWriterTest, AStuckJobIsGivenUpAndNeverStartsADump) {
  struct Late {
    win32::UniqueHandle go{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    DumpOutcome outcome;
    bool removed = false;
    std::atomic<bool> returned{false};
  };
  auto late = std::make_shared<Late>();
  const std::u16string dump = temp_ / u"late.dmp";
  const std::u16string file = temp_ / u"late.txt";
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(file, {'x'}));
  EXPECT_FALSE(writer_->Run(100, [late, dump, file](DumpCalls& calls) {
    ::WaitForSingleObject(late->go.get(), INFINITE);
    late->outcome = calls.WriteDump(::GetCurrentProcessId(), dump);
    late->removed = calls.RemoveFile(file);
    late->returned = calls.GivenUp();
  }));
  EXPECT_FALSE(late->returned) << "Run ended by the budget, not the job";
  writer_.reset();
  ::SetEvent(late->go.get());
  for (int i = 0; i < 100 && !late->returned; ++i) ::Sleep(50);
  ASSERT_TRUE(late->returned);
  EXPECT_EQ(late->outcome.status, DumpStatus::kTimedOut);
  EXPECT_TRUE(late->removed);
  EXPECT_EQ(::GetFileAttributesW(Path(u"late.dmp").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32DumpWriterTest, FreeSpaceListingAndDeletion) {
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(temp_ / u"a.dmp", {'a'}));
  ASSERT_TRUE(win32::TestTempFolder::WriteFile(temp_ / u"Prüfung.txt", {'b'}));
  ASSERT_TRUE(::CreateDirectoryW(Path(u"ZARN_ordner.dmp").c_str(), nullptr));
  EXPECT_TRUE(RunToEnd([&](DumpCalls& calls) {
    const std::optional<uint64_t> free = calls.FreeBytes(temp_.path());
    ASSERT_TRUE(free.has_value());
    EXPECT_GT(*free, 0u);
    EXPECT_EQ(calls.FreeBytes(u"Q:\\nirgends"), std::nullopt);

    auto names = calls.ListFiles(temp_.path());
    ASSERT_TRUE(names.has_value());
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::u16string>{u"Prüfung.txt", u"a.dmp"}));
    EXPECT_EQ(calls.ListFiles(temp_ / u"fehlt"), std::nullopt);
    EXPECT_TRUE(calls.IsFolder(temp_ / u"ZARN_ordner.dmp"));
    EXPECT_FALSE(calls.IsFolder(temp_ / u"a.dmp"));

    EXPECT_TRUE(calls.RemoveFile(temp_ / u"a.dmp"));
    EXPECT_FALSE(calls.RemoveFile(temp_ / u"a.dmp"));
    EXPECT_EQ(calls.ListFiles(temp_.path()),
              (std::vector<std::u16string>{u"Prüfung.txt"}));
  }));
}

}  // namespace
}  // namespace zarn
