#include "platform/win32/win32_clock.h"

#include <windows.h>

namespace zarn {
namespace {

class Win32Clock final : public Clock {
 public:
  DateTime Now() override {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return DateTime::FromCivil(st.wYear, st.wMonth, st.wDay, st.wHour,
                               st.wMinute, st.wSecond);
  }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

std::unique_ptr<Clock> NewWin32Clock() {
  return std::make_unique<Win32Clock>();
}

}  // namespace zarn
