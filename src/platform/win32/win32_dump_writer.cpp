#include "platform/win32/win32_dump_writer.h"

#include <windows.h>
// dbghelp.h needs windows.h first.
#include <dbghelp.h>

#include <atomic>
#include <memory>
#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

using MiniDumpWriteDumpFunction = decltype(::MiniDumpWriteDump);
using SymInitializeFunction = decltype(::SymInitializeW);
using SymCleanupFunction = decltype(::SymCleanup);

// Threads and their stacks, the module list, handles and unloaded modules;
// no heap, so a dump of Excel stays a few megabytes.
constexpr MINIDUMP_TYPE kDumpType = static_cast<MINIDUMP_TYPE>(
    MiniDumpNormal | MiniDumpWithHandleData | MiniDumpWithUnloadedModules |
    MiniDumpWithThreadInfo);

// dbghelp is single-threaded: while an abandoned dump still runs in its
// worker, no other may start.
std::atomic<bool> dump_running{false};

// What one worker needs, shared between it and the caller: an abandoned
// worker goes on with it after the caller has returned.
struct DumpJob {
  MiniDumpWriteDumpFunction* write = nullptr;
  SymInitializeFunction* sym_initialize = nullptr;
  SymCleanupFunction* sym_cleanup = nullptr;
  DWORD process_id = 0;
  win32::UniqueHandle process;
  win32::UniqueFileHandle file;
  std::atomic<bool> cancel{false};
  BOOL written = FALSE;
  DWORD error = 0;
};

// Lets the default parts in and asks dbghelp to stop once the caller has
// given up. Every other callback type keeps dbghelp's own behaviour: a
// TRUE there could hand the file's writing to us (IoStartCallback).
BOOL CALLBACK DumpCallback(PVOID param, PMINIDUMP_CALLBACK_INPUT input,
                           PMINIDUMP_CALLBACK_OUTPUT output) {
  const auto* job = static_cast<const DumpJob*>(param);
  switch (input->CallbackType) {
    case IncludeThreadCallback:
    case IncludeModuleCallback:
    case ThreadCallback:
    case ThreadExCallback:
    case ModuleCallback:
      return TRUE;
    case CancelCallback:
      output->Cancel = job->cancel.load() ? TRUE : FALSE;
      output->CheckCancel = TRUE;
      return TRUE;
    default:
      return FALSE;
  }
}

DWORD WINAPI DumpThread(void* param) {
  const std::unique_ptr<std::shared_ptr<DumpJob>> owner(
      static_cast<std::shared_ptr<DumpJob>*>(param));
  DumpJob& job = **owner;
  MINIDUMP_CALLBACK_INFORMATION callback = {DumpCallback, &job};
  // Made known to the symbol handler without its modules: Wine's
  // MiniDumpWriteDump would otherwise register the process itself and read
  // the symbols of every module, seconds of CPU for a dump that needs none.
  // Windows' MiniDumpWriteDump does not use the symbol handler at all.
  const bool registered = job.sym_initialize && job.sym_cleanup &&
                          job.sym_initialize(job.process.get(), nullptr, FALSE);
  job.written = job.write(job.process.get(), job.process_id, job.file.get(),
                          kDumpType, nullptr, nullptr, &callback);
  job.error = job.written ? 0 : ::GetLastError();
  if (registered) job.sym_cleanup(job.process.get());
  // Closed here, not by the caller: a file the caller deleted after giving
  // up disappears now.
  job.file.reset();
  job.process.reset();
  dump_running = false;
  return 0;
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

class Win32DumpWriter final : public DumpWriter {
 public:
  void Prepare() override { LoadDbgHelp(); }

  DumpOutcome WriteDump(uint32_t process_id, std::u16string_view path,
                        uint32_t budget_ms) override {
    const DbgHelp& dbghelp = LoadDbgHelp();
    if (!dbghelp.write) {
      return {DumpStatus::kUnavailable, ERROR_MOD_NOT_FOUND};
    }
    if (dump_running.load()) return {DumpStatus::kUnavailable, ERROR_BUSY};

    auto job = std::make_shared<DumpJob>();
    job->write = dbghelp.write;
    job->sym_initialize = dbghelp.sym_initialize;
    job->sym_cleanup = dbghelp.sym_cleanup;
    job->process_id = process_id;
    job->process.reset(::OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE, FALSE,
        process_id));
    if (!job->process) return {DumpStatus::kNoProcess, ::GetLastError()};
    const std::wstring wide = win32::ToWide(path);
    // Shared for deletion, so that a dump given up on can be deleted while
    // its worker still holds the file.
    job->file.reset(::CreateFileW(wide.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!job->file) return {DumpStatus::kNoFile, ::GetLastError()};

    dump_running = true;
    auto* param = new std::shared_ptr<DumpJob>(job);
    win32::UniqueHandle thread(
        ::CreateThread(nullptr, 0, DumpThread, param, 0, nullptr));
    if (!thread) {
      const DWORD error = ::GetLastError();
      delete param;
      dump_running = false;
      job->file.reset();
      ::DeleteFileW(wide.c_str());
      return {DumpStatus::kFailed, error};
    }
    if (::WaitForSingleObject(thread.get(), budget_ms) != WAIT_OBJECT_0) {
      // Ending a thread inside dbghelp could leave its locks and the
      // target's threads suspended for ever; it is asked to stop instead,
      // and the file goes when the worker closes it.
      job->cancel = true;
      ::DeleteFileW(wide.c_str());
      return {DumpStatus::kTimedOut, 0};
    }
    if (!job->written) {
      ::DeleteFileW(wide.c_str());
      return {DumpStatus::kFailed, job->error};
    }
    return {DumpStatus::kWritten, 0};
  }

  std::optional<uint64_t> FreeBytes(std::u16string_view folder) override {
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
    } while (::FindNextFileW(find.get(), &entry));
    return names;
  }

  bool RemoveFile(std::u16string_view path) override {
    return ::DeleteFileW(win32::ToWide(path).c_str()) != FALSE;
  }
};

}  // namespace

std::unique_ptr<DumpWriter> NewWin32DumpWriter() {
  return std::make_unique<Win32DumpWriter>();
}

}  // namespace zarn
