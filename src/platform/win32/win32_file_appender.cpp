#include "platform/win32/win32_file_appender.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

class Win32FileAppender final : public FileAppender {
 public:
  AppendResult Append(std::u16string_view path,
                      std::string_view bytes) override {
    // A NUL inside the path would silently name another file.
    if (path.empty() || path.find(u'\0') != std::u16string_view::npos) {
      return AppendResult::kOpenFailed;
    }
    const std::wstring wide = win32::ToWide(path);
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the
    // end, even when another writer appended in between.
    win32::UniqueFileHandle file(::CreateFileW(
        wide.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return AppendResult::kOpenFailed;

    while (!bytes.empty()) {
      const DWORD chunk =
          static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
      DWORD written = 0;
      if (!::WriteFile(file.get(), bytes.data(), chunk, &written, nullptr) ||
          written == 0) {
        return AppendResult::kWriteFailed;
      }
      bytes.remove_prefix(written);
    }
    if (!::CloseHandle(file.release())) return AppendResult::kWriteFailed;
    return AppendResult::kWritten;
  }
};

}  // namespace

std::unique_ptr<FileAppender> NewWin32FileAppender() {
  return std::make_unique<Win32FileAppender>();
}

}  // namespace zarn
