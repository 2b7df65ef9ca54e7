#include "platform/win32/win32_regional.h"

#include <windows.h>
// oleauto.h needs windows.h first.
#include <oleauto.h>

#include <string>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace zarn {
namespace {

std::u16string FromBstr(const win32::UniqueBstr& bstr) {
  if (!bstr) return {};
  return win32::FromWide(
      std::wstring_view(bstr.get(), ::SysStringLen(bstr.get())));
}

class Win32Regional final : public Regional {
 public:
  std::optional<DateTime> ParseDateTime(std::u16string_view text) override {
    // VarDateFromStr wants a writable, NUL-terminated string.
    std::wstring buffer = win32::ToWide(text);
    DATE date = 0;
    if (FAILED(
            ::VarDateFromStr(buffer.data(), LOCALE_USER_DEFAULT, 0, &date))) {
      return std::nullopt;
    }
    return DateTime::FromOleDate(date);
  }

  std::u16string FormatDateTime(DateTime when) override {
    win32::UniqueBstr text;
    if (FAILED(::VarBstrFromDate(when.ToOleDate(), LOCALE_USER_DEFAULT, 0,
                                 text.put()))) {
      return {};
    }
    return FromBstr(text);
  }

  std::u16string FormatSpan(int64_t seconds) override {
    if (seconds < 0) seconds = -seconds;
    seconds %= DateTime::kSecondsPerDay;
    SYSTEMTIME st = {};
    st.wYear = 1899;
    st.wMonth = 12;
    st.wDay = 30;
    st.wHour = static_cast<WORD>(seconds / 3600);
    st.wMinute = static_cast<WORD>(seconds / 60 % 60);
    st.wSecond = static_cast<WORD>(seconds % 60);
    wchar_t buffer[128] = {};
    const int length =
        ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
    if (length <= 1) return {};
    return win32::FromWide(std::wstring_view(buffer, length - 1));
  }

  std::u16string FormatNumber(double value) override {
    if (value == 0) return u"0";
    win32::UniqueBstr text;
    if (FAILED(::VarBstrFromR8(value, LOCALE_USER_DEFAULT, 0, text.put()))) {
      return {};
    }
    return FromBstr(text);
  }
};

}  // namespace

std::unique_ptr<Regional> NewWin32Regional() {
  return std::make_unique<Win32Regional>();
}

}  // namespace zarn
