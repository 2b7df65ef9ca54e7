// A checker in a hurry: rewrites LiveStatusTime and LiveStatusFunc every
// 10 ms, always with one of two texts of different lengths, so that a
// reader that ever caught half a value would see a text of neither form.
//
//   status_writer.exe SECONDS LAG_SECONDS COUNT_FILE
//
// LiveStatusFunc alternates "SpecialCells" and "WorkbooksOpen";
// LiveStatusTime is the time LAG_SECONDS ago, alternately as the platform
// writes it and in a second form of another length that the platform reads
// back as the same moment. After SECONDS it writes the number of rounds
// into COUNT_FILE and "Finished" into LiveStatus. Exit code 0, 1 on bad
// arguments, 3 when no second form of another length reads back.
#include <windows.h>

#include <cwchar>
#include <string>

#include "common/date_time.h"
#include "platform/settings_store.h"
#include "platform/win32/system_time.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_regional.h"
#include "platform/win32/win32_settings_store.h"

namespace {

// Further ways of writing a date-time that the regional conversion reads;
// the first whose length differs from the platform's own form is taken.
const wchar_t* const kOtherForms[] = {L"yyyy-MM-dd", L"dd.MM.yy", L"d.M.yy"};

std::u16string OtherForm(const std::u16string& usual, zarn::DateTime when,
                         zarn::Regional& regional) {
  const SYSTEMTIME st = zarn::win32::ToSystemTime(when);
  wchar_t time[32] = {};
  ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, L"HH:mm:ss", time, 32);
  for (const wchar_t* form : kOtherForms) {
    wchar_t date[32] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, form, date, 32);
    const std::u16string text =
        zarn::win32::FromWide(std::wstring(date) + L" " + time);
    if (text.size() != usual.size() && regional.ParseDateTime(text) == when) {
      return text;
    }
  }
  return {};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 1;
  const long seconds = std::wcstol(argv[1], nullptr, 10);
  const long lag = std::wcstol(argv[2], nullptr, 10);
  auto store = zarn::NewWin32SettingsStore();
  auto regional = zarn::NewWin32Regional();
  auto clock = zarn::NewWin32Clock();
  namespace keys = zarn::settings;

  const ULONGLONG end = ::GetTickCount64() + seconds * 1000ULL;
  long rounds = 0;
  while (::GetTickCount64() < end) {
    const zarn::DateTime when = clock->Read().local - lag;
    const std::u16string usual = regional->FormatDateTime(when);
    std::u16string text = usual;
    if (rounds % 2 == 1) {
      text = OtherForm(usual, when, *regional);
      if (text.empty()) return 3;
    }
    store->WriteSetting(keys::kLiveStatusFunc,
                        rounds % 2 ? u"WorkbooksOpen" : u"SpecialCells");
    store->WriteSetting(keys::kLiveStatusTime, text);
    ++rounds;
    ::Sleep(10);
  }
  HANDLE file = ::CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const std::string count = std::to_string(rounds);
    DWORD written = 0;
    ::WriteFile(file, count.data(), static_cast<DWORD>(count.size()), &written,
                nullptr);
    ::CloseHandle(file);
  }
  store->WriteSetting(keys::kLiveStatus, u"Finished");
  return 0;
}
