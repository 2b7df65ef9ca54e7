#include "platform/win32/win32_code_page.h"

#include <windows.h>

#include <climits>
#include <string>

#include "platform/win32/wide.h"

namespace zarn {
namespace {

class Win32CodePageConverter final : public CodePageConverter {
 public:
  std::u16string Decode(std::span<const uint8_t> bytes,
                        int32_t code_page) override {
    if (bytes.empty() || bytes.size() > INT_MAX || code_page < 0) return {};
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    const int count = static_cast<int>(bytes.size());
    const UINT cp = static_cast<UINT>(code_page);
    // First the length, then exactly that many characters.
    const int length = ::MultiByteToWideChar(cp, 0, data, count, nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    const int written =
        ::MultiByteToWideChar(cp, 0, data, count, text.data(), length);
    if (written <= 0) return {};
    text.resize(static_cast<size_t>(written));
    return win32::FromWide(text);
  }

  std::string EncodeAnsi(std::u16string_view text) override {
    return win32::ToAnsi(text);
  }
};

}  // namespace

std::unique_ptr<CodePageConverter> NewWin32CodePageConverter() {
  return std::make_unique<Win32CodePageConverter>();
}

}  // namespace zarn
