#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

// A configuration file is a few kilobytes; anything past this is no
// configuration and is not read into memory.
constexpr LONGLONG kMaxReadBytes = 64LL * 1024 * 1024;

class Win32FileSystem final : public FileSystem {
 public:
  std::optional<uint32_t> GetAttributes(std::u16string_view path) override {
    const std::wstring wide = win32::ToWide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
  }

  bool FindEntry(std::u16string_view path) override {
    const std::wstring wide = win32::ToWide(path);
    WIN32_FIND_DATAW data = {};
    win32::UniqueFindHandle find(
        ::FindFirstFileExW(wide.c_str(), FindExInfoBasic, &data,
                           FindExSearchNameMatch, nullptr, 0));
    return find.valid();
  }

  bool CreateFolder(std::u16string_view path) override {
    const std::wstring wide = win32::ToWide(path);
    return ::CreateDirectoryW(wide.c_str(), nullptr) != FALSE;
  }

  std::optional<std::vector<uint8_t>> ReadFile(
      std::u16string_view path) override {
    const std::wstring wide = win32::ToWide(path);
    // The checker may hold the configuration open for writing.
    win32::UniqueFileHandle file(
        ::CreateFileW(wide.c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        size.QuadPart > kMaxReadBytes) {
      return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD read = 0;
      if (!::ReadFile(file.get(), bytes.data() + done,
                      static_cast<DWORD>(bytes.size() - done), &read,
                      nullptr)) {
        return std::nullopt;
      }
      if (read == 0) break;  // the file shrank while we read it
      done += read;
    }
    bytes.resize(done);
    return bytes;
  }

  std::optional<std::u16string> FullPath(std::u16string_view path) override {
    const std::wstring wide = win32::ToWide(path);
    std::wstring full(MAX_PATH, L'\0');
    // Asked twice when the first buffer is too small; a current folder that
    // changes in between (not in the daemon) is asked for once more.
    for (int attempt = 0; attempt < 3; ++attempt) {
      const DWORD length = ::GetFullPathNameW(
          wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
      if (length == 0) return std::nullopt;
      if (length < full.size()) {
        full.resize(length);
        return win32::FromWide(full);
      }
      full.assign(length, L'\0');
    }
    return std::nullopt;
  }
};

}  // namespace

std::unique_ptr<FileSystem> NewWin32FileSystem() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace zarn
