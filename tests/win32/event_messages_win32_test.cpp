// The message table in ZARNDaemon.exe as Event Viewer reads it: the exe
// loaded as data, and each event the daemon writes formatted with its own
// insertion strings.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "testing/fake_event_log.h"
#include "testing/win32/win32_test_support.h"
#include "watchdog/event_report.h"

namespace zarn {
namespace {

class EventMessagesWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring exe = win32::OwnFolder() + L"ZARNDaemon.exe";
    module_ = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << win32::Utf8(exe);
  }
  void TearDown() override {
    if (module_) ::FreeLibrary(module_);
  }

  // Message `id` in language `language` with `strings` inserted, without
  // the line break that ends it; empty when there is none.
  std::wstring Format(DWORD id, const std::vector<std::u16string>& strings,
                      DWORD language = 0) {
    std::vector<std::wstring> wide;
    for (const std::u16string& s : strings) wide.push_back(win32::ToWide(s));
    std::vector<DWORD_PTR> arguments;
    for (const std::wstring& w : wide) {
      arguments.push_back(reinterpret_cast<DWORD_PTR>(w.c_str()));
    }
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER |
            FORMAT_MESSAGE_ARGUMENT_ARRAY,
        module_, id, language, reinterpret_cast<wchar_t*>(&buffer), 0,
        reinterpret_cast<va_list*>(arguments.data()));
    std::wstring text(buffer ? buffer : L"", length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) {
      text.pop_back();
    }
    return text;
  }

  HMODULE module_ = nullptr;
};

TEST_F(EventMessagesWin32Test, CategoriesAreTheFirstMessages) {
  const wchar_t* const names[] = {L"Neustart", L"Überwachung", L"Dump",
                                  L"Konfiguration"};
  ASSERT_EQ(std::size(names), event_ids::kCategoryCount);
  for (DWORD c = 1; c <= event_ids::kCategoryCount; ++c) {
    EXPECT_EQ(Format(c, {}), names[c - 1]);
  }
  EXPECT_EQ(Format(event_ids::kCategoryCount + 1, {}), L"");
}

TEST_F(EventMessagesWin32Test, EveryEventReadsAsASentenceWithItsFacts) {
  FakeEventLog log;
  EventReport report(log);
  const TimeLimit limit = TimeLimit::FromText(u"00:05:00");
  report.ReportRestart(RestartCause::kSilence, u"C:\\Z\\Check.xls", 301, limit);
  report.ReportRestart(RestartCause::kUser, u"C:\\Z\\Check.xls", 12, limit);
  report.ReportStartFailed(u"C:\\Z\\Check.xls", 2);
  report.ReportRestartRefused(u"C:\\Z\\Check.xls", 3, limit);
  report.ReportUnreadableRestarts({u"gestern"});
  report.ReportNeverReported(limit);
  report.ReportSecondInstance(u"C:\\Z\\ZARNDaemon.exe");
  report.ReportDumpWritten(4711, u"D:\\Dumps\\ZARN_1.dmp");
  report.ReportDumpSkipped(812, u"Der Prozess lässt sich nicht öffnen.");
  report.ReportMalformedConfiguration(u"C:\\Z\\ZARN.cfg", u"Die DUMPMAX ...");
  ASSERT_EQ(log.events().size(), std::size(event_ids::kAllEvents));
  for (size_t i = 0; i < log.events().size(); ++i) {
    const Event& event = log.events()[i];
    SCOPED_TRACE(event.id);
    EXPECT_EQ(event.id, event_ids::kAllEvents[i]);
    const std::wstring text = Format(event.id, event.strings);
    EXPECT_GT(text.size(), 40u) << win32::Utf8(text);
    for (const std::u16string& s : event.strings) {
      EXPECT_NE(text.find(win32::ToWide(s)), std::wstring::npos)
          << win32::Utf8(text) << " lacks " << win32::Utf8(win32::ToWide(s));
    }
    EXPECT_EQ(text.find(L'%'), std::wstring::npos) << win32::Utf8(text);
    // The table is language neutral, the language FormatMessage and Event
    // Viewer try first, whatever the user's.
    EXPECT_EQ(Format(event.id, event.strings,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)),
              text);
  }
}

}  // namespace
}  // namespace zarn
