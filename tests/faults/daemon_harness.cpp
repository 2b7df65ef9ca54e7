#include "daemon_harness.h"

#include <cwchar>
#include <memory>

#include "platform/win32/wide.h"
#include "platform/win32/win32_clock.h"
#include "testing/win32/win32_test_support.h"

namespace zarn::faults {
namespace {

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data = {};
  HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(folder + name + L"\\");
      } else {
        // A program of ours may still be on its way out.
        const std::wstring file = folder + name;
        for (int i = 0; i < 100 && !::DeleteFileW(file.c_str()); ++i) {
          ::Sleep(50);
        }
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(folder.c_str());
}

long WaitForHandle(const win32::UniqueHandle& process, DWORD ms) {
  if (!process || ::WaitForSingleObject(process.get(), ms) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  return static_cast<long>(code);
}

void EndProcess(win32::UniqueHandle& process) {
  if (process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process.get(), 1);
    ::WaitForSingleObject(process.get(), 10000);
  }
}

}  // namespace

DateTime LocalNow() { return NewWin32Clock()->Read().local; }

// Year first, the one form that the regional conversion of every locale
// reads alike. Under Wine the test program's own regional formats can't be
// trusted: a process started with other settings (a service that WMI
// starts, say) rewrites them in the registry for whoever comes next.
std::wstring ReportText(DateTime when) {
  const CivilTime c = when.ToCivil();
  wchar_t text[32] = {};
  swprintf(text, 32, L"%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day,
           c.hour, c.minute, c.second);
  return text;
}

AppFolder::AppFolder() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"ZARN Fehlerprobe " +
          std::to_wstring(::GetCurrentProcessId()) + L"_" +
          std::to_wstring(Ticks()) + L"\\";
  ::CreateDirectoryW(path_.c_str(), nullptr);
  daemon_ = path_ + L"ZARNDaemon.exe";
  excel_ = path_ + L"fakeexcel.exe";
  workbook_ = L"Prüfmappe" + association_.extension();
  ::CopyFileW((win32::OwnFolder() + L"ZARNDaemon.exe").c_str(), daemon_.c_str(),
              FALSE);
  ::CopyFileW((win32::OwnFolder() + L"fakeexcel.exe").c_str(), excel_.c_str(),
              FALSE);
  WriteFile(workbook_, "");
  association_.OpenWith(excel_);
}

AppFolder::~AppFolder() { RemoveTree(path_); }

bool AppFolder::WriteFile(const std::wstring& name,
                          const std::string& bytes) const {
  win32::UniqueFileHandle file(::CreateFileW((path_ + name).c_str(),
                                             GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                     &written, nullptr) &&
         written == bytes.size();
}

bool AppFolder::WriteLimits(const std::string& cancel, const std::string& load,
                            const std::string& special_cells) const {
  std::string text = "[ZARN]\r\nCANCELTIME=" + cancel + "\r\n";
  if (!load.empty()) text += "LOADTIME=" + load + "\r\n";
  if (!special_cells.empty()) {
    text += "SPECIALCELLSTIME=" + special_cells + "\r\n";
  }
  return WriteFile(L"ZARN.cfg", text);
}

std::string AppFolder::ReadFile(const std::wstring& name) const {
  return win32::ReadFileBytes(path_ + name).value_or("");
}

bool AppFolder::Exists(const std::wstring& name) const {
  return ::GetFileAttributesW((path_ + name).c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

std::string AppFolder::ExcelRecord() const {
  return ReadFile(L"fakeexcel.exe.record");
}

DaemonProcess::DaemonProcess(const AppFolder& app, const std::wstring& args) {
  process_ = win32::StartProgram(app.daemon(), args, app.path(), id_);
}

DaemonProcess::~DaemonProcess() { EndProcess(process_); }

bool DaemonProcess::running() const {
  return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

long DaemonProcess::WaitForExit(DWORD ms) const {
  const long code = WaitForHandle(process_, ms);
  if (code != -1 && exit_ticks_ == 0) exit_ticks_ = Ticks();
  return code;
}

HWND DaemonProcess::FindOwnTopLevel(const wchar_t* window_class,
                                    const wchar_t* title) const {
  return win32::FindWindowOf(id_, window_class, title, /*visible_only=*/true);
}

HWND DaemonProcess::WaitForWindow(DWORD ms) const {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        window = FindOwnTopLevel(kStatusWindowClass, kStatusWindowCaption);
        return window != nullptr || !running();
      },
      ms);
  return window;
}

HWND DaemonProcess::WaitForMessageBox(DWORD ms) const {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        box = FindOwnTopLevel(L"#32770", nullptr);
        return box != nullptr || !running();
      },
      ms);
  return box;
}

std::wstring DaemonProcess::ControlText(HWND window, int id) const {
  wchar_t text[256] = {};
  const HWND control = ::GetDlgItem(window, id);
  if (!control) return L"<no control>";
  // WM_GETTEXT crosses the process boundary; GetWindowText would not.
  ::SendMessageTimeoutW(control, WM_GETTEXT, 256,
                        reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
  return text;
}

void DaemonProcess::Click(HWND window, int id) const {
  ::PostMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0);
}

ToolProcess::ToolProcess(const std::wstring& exe, const std::wstring& args) {
  process_ = win32::StartProgram(exe, args, L"", id_);
}

ToolProcess::~ToolProcess() { EndProcess(process_); }

bool ToolProcess::running() const {
  return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

long ToolProcess::WaitForExit(DWORD ms) const {
  return WaitForHandle(process_, ms);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace zarn::faults
