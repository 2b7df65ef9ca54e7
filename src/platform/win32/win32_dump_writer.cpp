#include "platform/win32/win32_dump_writer.h"

#include <windows.h>
// dbghelp.h, lmcons.h and sddl.h need windows.h first.
#include <dbghelp.h>
#include <lmcons.h>
#include <sddl.h>

#include <atomic>
#include <cwchar>
#include <memory>
#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/token_user.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

using MiniDumpWriteDumpFunction = decltype(::MiniDumpWriteDump);
using SymInitializeFunction = decltype(::SymInitializeW);
using SymCleanupFunction = decltype(::SymCleanup);

// Threads with their stacks and state, the module list and the unloaded
// modules; no heap, so a dump of Excel stays a few megabytes. No handle
// data: naming a handle can wait for ever on a pipe that its process reads
// synchronously, with that process's threads held, and it takes
// PROCESS_DUP_HANDLE, which is as good as full access to the process.
constexpr MINIDUMP_TYPE kDumpType = static_cast<MINIDUMP_TYPE>(
    MiniDumpNormal | MiniDumpWithUnloadedModules | MiniDumpWithThreadInfo);

// What our user may do with a file or folder we make: anything with a dump;
// list a folder and add to it. Deleting other users' dumps is for the
// folder's own access list to allow or not.
constexpr wchar_t kFileRights[] = L"FA";
constexpr wchar_t kFolderRights[] = L"0x1200af";  // list, add, traverse, read

// Our user owns what we make and has an entry of its own, merged with what
// the folder passes on. An elevated daemon's objects would otherwise belong
// to the Administrators group and carry its high integrity level, and the
// same user's standard daemon could not delete them. A process below medium
// can't set the medium label.
std::wstring SecurityText(const std::wstring& sid, const wchar_t* rights,
                          bool medium_label) {
  std::wstring text = L"O:" + sid + L"D:(A;;" + rights + L";;;" + sid + L")";
  if (medium_label) text += L"S:(ML;;NW;;;ME)";
  return text;
}

// Whether `error` may mean that the server refused the security we asked
// for rather than the object itself: a server that knows neither our SID
// nor labels, or that lets no one set them.
bool SecurityRefused(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_PARAMETER:
    case ERROR_NOT_SUPPORTED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_INVALID_OWNER:
    case ERROR_INVALID_ACL:
    case ERROR_INVALID_SID:
    case ERROR_INVALID_SECURITY_DESCR:
      return true;
    default:
      return false;
  }
}

// Calls `create` with our own security, then without the label, then with
// the system's default, as long as the security may be what was refused
// and the job goes on. Leaves the last error as `create` did.
template <typename Create>
bool CreateOwned(const wchar_t* rights, const std::atomic<bool>& cancel,
                 Create create) {
  const std::wstring sid = win32::SidText(win32::OwnUserSid());
  bool made = false;
  DWORD error = ERROR_OPERATION_ABORTED;
  for (int variant = 0; variant < 3 && !made && !cancel; ++variant) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (variant < 2 &&
        (sid.empty() || !::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                            SecurityText(sid, rights, variant == 0).c_str(),
                            SDDL_REVISION_1, &descriptor, nullptr))) {
      continue;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    made = create(descriptor ? &attributes : nullptr);
    error = ::GetLastError();
    if (descriptor) ::LocalFree(descriptor);
    if (!SecurityRefused(error)) break;
  }
  ::SetLastError(made ? 0 : error);
  return made;
}

// dbghelp's functions, found at their first use, from the system folder
// only; a daemon that never dumps never loads dbghelp.
struct DbgHelp {
  MiniDumpWriteDumpFunction* write = nullptr;
  SymInitializeFunction* sym_initialize = nullptr;
  SymCleanupFunction* sym_cleanup = nullptr;
};

const DbgHelp& LoadDbgHelp() {
  static const DbgHelp functions = [] {
    const win32::SystemLibrary library(L"dbghelp.dll");
    DbgHelp found;
    library.Find("MiniDumpWriteDump", found.write);
    library.Find("SymInitializeW", found.sym_initialize);
    library.Find("SymCleanup", found.sym_cleanup);
    return found;
  }();
  return functions;
}

// Lets the default parts in and asks dbghelp to stop once the job is given
// up. Every other callback type keeps dbghelp's own behaviour: a TRUE
// there could hand the file's writing to us (IoStartCallback).
BOOL CALLBACK DumpCallback(PVOID param, PMINIDUMP_CALLBACK_INPUT input,
                           PMINIDUMP_CALLBACK_OUTPUT output) {
  const auto* cancel = static_cast<const std::atomic<bool>*>(param);
  switch (input->CallbackType) {
    case IncludeThreadCallback:
    case IncludeModuleCallback:
    case ThreadCallback:
    case ThreadExCallback:
    case ModuleCallback:
      return TRUE;
    case CancelCallback:
      output->Cancel = cancel->load() ? TRUE : FALSE;
      output->CheckCancel = TRUE;
      return TRUE;
    default:
      return FALSE;
  }
}

class Win32DumpCalls final : public DumpCalls {
 public:
  void GiveUp() { cancel_ = true; }
  bool GivenUp() const override { return cancel_; }

  bool IsFolder(std::u16string_view path) override {
    if (cancel_) return false;
    const DWORD attributes = ::GetFileAttributesW(win32::ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  void MakeFolder(std::u16string_view path) override {
    const std::wstring wide = win32::ToWide(path);
    CreateOwned(kFolderRights, cancel_, [&](SECURITY_ATTRIBUTES* security) {
      return ::CreateDirectoryW(wide.c_str(), security) != FALSE;
    });
  }

  std::optional<uint64_t> FreeBytes(std::u16string_view folder) override {
    if (cancel_) return std::nullopt;
    // A UNC folder must end in a backslash; any folder may.
    std::wstring wide = win32::ToWide(folder);
    if (!wide.empty() && wide.back() != L'\\') wide += L'\\';
    ULARGE_INTEGER available = {};
    if (!::GetDiskFreeSpaceExW(wide.c_str(), &available, nullptr, nullptr)) {
      return std::nullopt;
    }
    return available.QuadPart;
  }

  std::optional<std::vector<std::u16string>> ListFiles(
      std::u16string_view folder) override {
    if (cancel_) return std::nullopt;
    std::wstring pattern = win32::ToWide(folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW entry;
    win32::UniqueFindHandle find(
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                           FindExSearchNameMatch, nullptr, 0));
    if (!find) return std::nullopt;
    std::vector<std::u16string> names;
    do {
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        names.push_back(win32::FromWide(entry.cFileName));
      }
    } while (!cancel_ && ::FindNextFileW(find.get(), &entry));
    if (cancel_) return std::nullopt;
    return names;
  }

  DumpOutcome WriteDump(uint32_t process_id,
                        std::u16string_view path) override {
    if (cancel_) return {DumpStatus::kTimedOut, 0};
    const DbgHelp& dbghelp = LoadDbgHelp();
    if (!dbghelp.write) return {DumpStatus::kUnavailable, ERROR_MOD_NOT_FOUND};
    win32::UniqueHandle process(::OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id));
    if (!process) return {DumpStatus::kNoProcess, ::GetLastError()};
    const std::wstring wide = win32::ToWide(path);
    win32::UniqueFileHandle file;
    const bool made =
        CreateOwned(kFileRights, cancel_, [&](SECURITY_ATTRIBUTES* security) {
          file.reset(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                   security, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
          return file.valid();
        });
    const DWORD create_error = ::GetLastError();
    if (!made) {
      if (cancel_) return {DumpStatus::kTimedOut, 0};
      return {DumpStatus::kNoFile, create_error};
    }
    MINIDUMP_CALLBACK_INFORMATION callback = {DumpCallback, &cancel_};
    // Made known to the symbol handler without its modules: Wine's
    // MiniDumpWriteDump would otherwise register the process itself and
    // read the symbols of every module, seconds of CPU for a dump that
    // needs none. Windows' MiniDumpWriteDump does not use the symbol
    // handler at all.
    if (!Enter(kDumping)) {
      file.reset();
      ::DeleteFileW(wide.c_str());
      return {DumpStatus::kTimedOut, 0};
    }
    const bool registered =
        dbghelp.sym_initialize && dbghelp.sym_cleanup &&
        dbghelp.sym_initialize(process.get(), nullptr, FALSE);
    const BOOL written = dbghelp.write(process.get(), process_id, file.get(),
                                       kDumpType, nullptr, nullptr, &callback);
    const DWORD error = written ? 0 : ::GetLastError();
    stage_ = kCleaningUp;
    if (registered) dbghelp.sym_cleanup(process.get());
    file.reset();
    const bool kept = written && !cancel_;
    if (!kept) ::DeleteFileW(wide.c_str());
    stage_ = kFree;
    if (kept) return {DumpStatus::kWritten, 0};
    if (cancel_) return {DumpStatus::kTimedOut, 0};
    return {DumpStatus::kFailed, error};
  }

  bool RemoveFile(std::u16string_view path) override {
    return ::DeleteFileW(win32::ToWide(path).c_str()) != FALSE;
  }

  // What the worker does now, for a writer that is about to end: inside
  // dbghelp (the target's threads are held), removing what it wrote, or
  // anything else, which holds nobody. Closed: it never starts a dump.
  enum Stage { kFree, kDumping, kCleaningUp, kClosed };
  Stage stage() const { return stage_; }
  // Closes the job if its worker holds nobody now; after that it never will.
  bool CloseIfFree() {
    Stage expected = kFree;
    return stage_.compare_exchange_strong(expected, kClosed);
  }

 private:
  bool Enter(Stage next) {
    Stage expected = kFree;
    return !cancel_ && stage_.compare_exchange_strong(expected, next);
  }

  std::atomic<bool> cancel_{false};
  std::atomic<Stage> stage_{kFree};
};

// What the worker needs, shared with the writer: a job given up goes on
// with it after Run has returned.
struct Job {
  std::function<void(DumpCalls&)> work;
  Win32DumpCalls calls;
};

DWORD WINAPI JobThread(void* param) {
  const std::unique_ptr<std::shared_ptr<Job>> owner(
      static_cast<std::shared_ptr<Job>*>(param));
  Job& job = **owner;
  job.work(job.calls);
  return 0;
}

class Win32DumpWriter final : public DumpWriter {
 public:
  // A job given up that is inside dbghelp holds the threads of the process
  // it dumps; they run again only when dbghelp lets them go, not when we
  // end. So we wait for that, cancelling dbghelp's writes that wait on the
  // network, and for the removal of its unfinished file, which is not
  // cancelled. A worker that waits on the network anywhere else holds
  // nobody: it ends with the process, without a wait.
  ~Win32DumpWriter() override {
    if (!worker_) return;
    while (!job_->calls.CloseIfFree() &&
           ::WaitForSingleObject(worker_.get(), 100) == WAIT_TIMEOUT) {
      if (job_->calls.stage() == Win32DumpCalls::kDumping) {
        ::CancelSynchronousIo(worker_.get());
      }
    }
  }

  void Prepare() override { LoadDbgHelp(); }

  DumpOwner Owner() override {
    DumpOwner owner;
    wchar_t machine[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (::GetComputerNameExW(ComputerNameNetBIOS, machine, &size)) {
      owner.machine = win32::FromWide(std::wstring_view(machine, size));
    }
    wchar_t user[UNLEN + 1] = {};
    size = UNLEN + 1;
    if (::GetUserNameW(user, &size)) {
      owner.user =
          win32::FromWide(std::wstring_view(user, ::wcsnlen(user, UNLEN + 1)));
    }
    return owner;
  }

  bool Run(uint32_t budget_ms, std::function<void(DumpCalls&)> work) override {
    const ULONGLONG deadline = ::GetTickCount64() + budget_ms;
    if (worker_) {
      if (::WaitForSingleObject(worker_.get(), budget_ms) != WAIT_OBJECT_0) {
        return false;
      }
      worker_.reset();
      job_.reset();
    }
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    auto* param = new std::shared_ptr<Job>(job);
    worker_.reset(::CreateThread(nullptr, 0, JobThread, param, 0, nullptr));
    if (!worker_) {
      delete param;
      return false;
    }
    const ULONGLONG now = ::GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    if (::WaitForSingleObject(worker_.get(), left) == WAIT_OBJECT_0) {
      worker_.reset();
      return true;
    }
    job->calls.GiveUp();
    if (job->calls.stage() != Win32DumpCalls::kCleaningUp) {
      ::CancelSynchronousIo(worker_.get());
    }
    job_ = std::move(job);
    return false;
  }

 private:
  win32::UniqueHandle worker_;
  std::shared_ptr<Job> job_;  // the job given up, while its worker lives
};

}  // namespace

std::unique_ptr<DumpWriter> NewWin32DumpWriter() {
  return std::make_unique<Win32DumpWriter>();
}

}  // namespace zarn
