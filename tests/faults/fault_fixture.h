// The fixture of the daemon's fault tests: an emptied settings key, an
// application folder, and the values a checker leaves before it starts the
// daemon.
#ifndef ZARN_TESTS_FAULTS_FAULT_FIXTURE_H_
#define ZARN_TESTS_FAULTS_FAULT_FIXTURE_H_

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "daemon_harness.h"
#include "platform/win32/wide.h"
#include "settings_snapshot.h"
#include "testing/win32/win32_test_support.h"

namespace zarn::faults {

class DaemonFaultTest : public ::testing::Test {
 protected:
  static constexpr wchar_t kCommand[] = L"PRUEFE Kunde=4711";
  static constexpr wchar_t kCaption[] = L"ZARN Fehlerprobe - Prüfmappe";

  // The first window of a Wine session starts the desktop process, which
  // takes seconds; a window shown first lets that pass before a test's
  // clock and its reports begin.
  void SetUp() override {
    if (!win32::RunningUnderWine()) {
      GTEST_SKIP() << "needs Wine: empties the checker's real settings key";
    }
    guard_.emplace();
    const std::wstring title =
        L"ZARN Aufwärmen " + std::to_wstring(::GetCurrentProcessId());
    ToolProcess warm_up(win32::OwnFolder() + L"proc_helper.exe",
                        L"--window \"" + title + L"\" --seconds 30");
    ASSERT_TRUE(WaitUntil(
        [&] { return ::FindWindowW(L"XLMain", title.c_str()) != nullptr; },
        30000))
        << "no window could be shown";
  }

  // The hand-over command, the log, the workbook, a caption no window has,
  // and a value nobody touches.
  void WriteCheckerValues() {
    ASSERT_TRUE(WriteText(L"DAEMONCOMMAND", kCommand));
    ASSERT_TRUE(WriteText(L"DaemonLog", app_ / L"daemon.log"));
    ASSERT_TRUE(WriteText(L"LiveStatusExec", app_.workbook()));
    ASSERT_TRUE(WriteText(L"LiveStatusCaption", kCaption));
    ASSERT_TRUE(WriteText(L"PellamShowStatusform", L"False"));
    ASSERT_TRUE(WriteText(L"Unbeteiligt", L"bleibt wie es ist"));
  }

  // A report `age` seconds old.
  static void Report(int64_t age, const std::wstring& func = L"Analyse") {
    ASSERT_TRUE(WriteText(L"LiveStatusTime", ReportText(LocalNow() - age)));
    ASSERT_TRUE(WriteText(L"LiveStatusFunc", func));
  }

  // LiveStatusTime holds the never-reported marker, 1 January 1900 as the
  // daemon's short date (no time part); gives its text.
  static std::wstring ExpectNeverReported() {
    const std::wstring text = ReadText(L"LiveStatusTime").value_or(L"");
    EXPECT_NE(text.find(L"1900"), std::wstring::npos) << "no marker";
    EXPECT_EQ(text.find(L':'), std::wstring::npos) << "a time in the marker";
    EXPECT_LE(text.size(), 10u);
    return text;
  }

  std::string Log() const { return app_.ReadFile(L"daemon.log"); }

  // Every value of `before` is there unchanged, except those named in
  // `changed`, which must hold the texts given.
  static void ExpectStoreKept(
      const Snapshot& before,
      const std::map<std::wstring, std::wstring>& changed = {}) {
    Snapshot expected = before;
    for (const auto& [name, text] : changed) expected[name] = Text(text);
    const Snapshot after = TakeSnapshot();
    for (const auto& [name, value] : expected) {
      SCOPED_TRACE(win32::ToAnsi(win32::FromWide(name)));
      const auto it = after.find(name);
      ASSERT_NE(it, after.end()) << "value lost";
      EXPECT_EQ(it->second.type, value.type);
      EXPECT_TRUE(it->second.bytes == value.bytes)
          << "value changed to " << Printable(it->second) << ", expected "
          << Printable(value);
    }
    for (const auto& [name, value] : after) {
      EXPECT_TRUE(expected.count(name))
          << "unexpected value " << win32::ToAnsi(win32::FromWide(name));
    }
  }

  // A REG_SZ as its text, anything else by its type and size.
  static std::string Printable(const RawValue& value) {
    if (value.type != REG_SZ) {
      return "type " + std::to_string(value.type) + ", " +
             std::to_string(value.bytes.size()) + " bytes";
    }
    std::u16string text(value.bytes.size() / 2, u'\0');
    if (!text.empty())
      ::memcpy(text.data(), value.bytes.data(), text.size() * 2);
    std::string quoted(1, '"');
    quoted += win32::ToAnsi(text.substr(0, text.find(u'\0')));
    quoted += '"';
    return quoted;
  }

  // Made in SetUp, so that a skipped test leaves the real key alone.
  std::optional<SettingsKeyGuard> guard_;
  AppFolder app_;
};

}  // namespace zarn::faults

#endif  // ZARN_TESTS_FAULTS_FAULT_FIXTURE_H_
