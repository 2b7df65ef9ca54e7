#include "platform/win32/win32_network_drives.h"

#include <windows.h>
#include <winnetwk.h>

#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

// The drive map keeps share names of up to 255 characters; a longer one
// gives ERROR_MORE_DATA and leaves the drive out.
constexpr DWORD kBufferLength = 255;

class Win32NetworkDrives final : public NetworkDrives {
 public:
  int32_t GetConnection(std::u16string_view local_name,
                        std::u16string& remote_name) override {
    // mpr.dll, found when the first path on a drive letter is looked up.
    static const auto get_connection =
        win32::FindSystemFunction<decltype(::WNetGetConnectionW)>(
            L"mpr.dll", "WNetGetConnectionW");
    if (!get_connection) return ERROR_NO_NETWORK;
    const std::wstring local = win32::ToWide(local_name);
    std::wstring buffer(kBufferLength, L' ');
    DWORD length = kBufferLength;
    const DWORD result = get_connection(local.c_str(), buffer.data(), &length);
    if (result != NO_ERROR) return static_cast<int32_t>(result);
    const size_t nul = buffer.find(L'\0');
    if (nul != std::wstring::npos) buffer.resize(nul);
    remote_name = win32::FromWide(buffer);
    return 0;
  }
};

}  // namespace

std::unique_ptr<NetworkDrives> NewWin32NetworkDrives() {
  return std::make_unique<Win32NetworkDrives>();
}

}  // namespace zarn
