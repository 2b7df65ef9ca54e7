#include <windows.h>
#undef MessageBox

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_message_box.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

// What a watcher thread saw of the box before it pressed OK.
struct SeenBox {
  bool found = false;
  std::wstring text;
  bool topmost = false;
  bool icon_shown = false;
  std::vector<std::wstring> buttons;
};

std::wstring TextOf(HWND window) {
  wchar_t buffer[512] = {};
  ::GetWindowTextW(window, buffer, 512);
  return buffer;
}

std::wstring ClassOf(HWND window) {
  wchar_t buffer[64] = {};
  ::GetClassNameW(window, buffer, 64);
  return buffer;
}

// Looks for the dialog titled `title`, notes what it shows and closes it
// with OK, as the person at the machine would; or, unless `press`, leaves
// it open.
void WatchAndPressOk(const std::wstring& title, SeenBox& seen,
                     bool press = true) {
  const ULONGLONG deadline = ::GetTickCount64() + 15000;
  HWND box = nullptr;
  while (!box && ::GetTickCount64() < deadline) {
    box = win32::FindOwnWindow(L"#32770", title.c_str());
    if (!box || !::IsWindowVisible(box)) {
      box = nullptr;
      ::Sleep(20);
    }
  }
  if (!box) return;
  seen.found = true;
  seen.topmost = (::GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  for (HWND child = ::GetWindow(box, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!::IsWindowVisible(child)) continue;
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);
    if (ClassOf(child) == L"Button") {
      seen.buttons.push_back(TextOf(child));
    } else if ((style & SS_TYPEMASK) == SS_ICON) {
      seen.icon_shown = ::SendMessageW(child, STM_GETICON, 0, 0) != 0;
    } else if (!TextOf(child).empty()) {
      seen.text = TextOf(child);
    }
  }
  if (press) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

class Win32MessageBoxTest : public ::testing::Test {
 protected:
  SeenBox ShowAndPressOk(std::u16string_view text, std::u16string_view title,
                         const std::wstring& expected_title, MessageKind kind) {
    SeenBox seen;
    std::thread watcher([&] { WatchAndPressOk(expected_title, seen); });
    box_->Show(text, title, kind);
    watcher.join();
    return seen;
  }

  std::unique_ptr<MessageBox> box_ = NewWin32MessageBox();
};

TEST_F(Win32MessageBoxTest, CriticalBoxHasIconOkAloneAndStaysOnTop) {
  const SeenBox seen = ShowAndPressOk(
      u"Die CANCELTIME in der Sektion [ZARN] der Konfiguration entspricht "
      u"nicht dem Format hh:mm:ss. Der Wert wird auf 00:05:00 gesetzt.",
      u"ZARN Daemon (Build: 1-0-0)", L"ZARN Daemon (Build: 1-0-0)",
      MessageKind::kCriticalSystemModal);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text,
            L"Die CANCELTIME in der Sektion [ZARN] der Konfiguration "
            L"entspricht nicht dem Format hh:mm:ss. Der Wert wird auf "
            L"00:05:00 gesetzt.");
  EXPECT_TRUE(seen.icon_shown);
  EXPECT_TRUE(seen.topmost);
  ASSERT_EQ(seen.buttons.size(), 1u);
  EXPECT_EQ(seen.buttons[0], L"OK");
}

TEST_F(Win32MessageBoxTest, PlainBoxWithoutTitleTakesTheProgramName) {
  const SeenBox seen = ShowAndPressOk(u"Start Prog 2", u"", L"zarn_win32_tests",
                                      MessageKind::kPlain);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, L"Start Prog 2");
  EXPECT_FALSE(seen.icon_shown);
  EXPECT_FALSE(seen.topmost);
  ASSERT_EQ(seen.buttons.size(), 1u);
  EXPECT_EQ(seen.buttons[0], L"OK");
}

TEST_F(Win32MessageBoxTest, TimedBoxClosesItselfUnlessAnsweredFirst) {
  for (bool press : {true, false}) {
    SCOPED_TRACE(press ? "answered" : "left alone");
    SeenBox seen;
    std::thread watcher([&] { WatchAndPressOk(L"Hinweis", seen, press); });
    // Left alone, long enough for the watcher to find it first.
    const uint32_t timeout_ms = press ? 60000 : 2000;
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(box_->ShowFor(u"Gleich weg", u"Hinweis", MessageKind::kPlain,
                            timeout_ms),
              press ? MessageClosed::kByUser : MessageClosed::kTimedOut);
    const ULONGLONG took = ::GetTickCount64() - start;
    watcher.join();
    EXPECT_TRUE(seen.found);
    EXPECT_GE(took, press ? 0 : timeout_ms);
  }
}

}  // namespace
}  // namespace zarn
