#include "platform/win32/win32_status_view.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_label_font.h"
#include "testing/win32/win32_test_support.h"

namespace zarn {
namespace {

using win32::Utf8;

struct ExpectedControl {
  int id;
  const wchar_t* window_class;
  int left, top, width, height;  // pixels at 96 DPI
  const wchar_t* text;
  bool bold;
  // The row of the restart limit: made, but hidden until its caption is
  // set.
  bool hidden = false;
};

// The window's controls in tab order, which is also their z-order.
const std::vector<ExpectedControl> kExpected = {
    {kLabel1Id, L"Static", 8, 7, 393, 41,
     L"Die Analyse des ZARNs wird überwacht.", true},
    {kCmdAbbruchId, L"Button", 14, 128, 392, 41, L"Überwachung abbrechen",
     true},
    {kLabel2Id, L"Static", 24, 79, 121, 17, L"Status:", false},
    {kStatusId, L"Static", 168, 79, 233, 17, L"Starte neu in 00:04:30", false},
    {kStatus2Id, L"Static", 168, 103, 233, 17, L"00:00:30", false},
    {kLabel4Id, L"Static", 24, 103, 129, 17, L"Letzte Rückmeldung ZARN:",
     false},
    {kNeuStartenId, L"Button", 14, 175, 391, 41, L"Jetzt neu starten", true},
    {kCancelTimeId, L"Static", 214, 56, 184, 17, L"00:05:00", false},
    {kLabel5Id, L"Static", 21, 56, 184, 17,
     L"Neustart bei Inaktivität des ZARN nach:", false},
    {kLabel6Id, L"Static", 24, 32, 144, 17, L"Automatische Neustarts:", false,
     true},
    {kNeustartsId, L"Static", 214, 32, 187, 17, L"", false, true},
};

std::wstring TextOf(HWND window) {
  wchar_t buffer[256] = {};
  ::GetWindowTextW(window, buffer, 256);
  return buffer;
}

std::wstring ClassOf(HWND window) {
  wchar_t buffer[64] = {};
  ::GetClassNameW(window, buffer, 64);
  return buffer;
}

LOGFONTW FontOf(HWND control) {
  LOGFONTW font = {};
  HGDIOBJ handle =
      reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
  if (handle) ::GetObjectW(handle, sizeof font, &font);
  return font;
}

struct TextSize {
  int width;        // of the widest line
  int height;       // of all lines
  int line_height;  // of one line
};

// `text` in `font` as `window` draws it: on one line when `wrap_width` is
// 0, else broken at words to that width as a label breaks it.
TextSize Measure(HWND window, HFONT font, const std::wstring& text,
                 int wrap_width) {
  HDC dc = ::GetDC(window);
  HGDIOBJ previous = ::SelectObject(dc, font);
  RECT rect = {0, 0, wrap_width, 0};
  const UINT format =
      DT_CALCRECT | DT_NOPREFIX | (wrap_width ? DT_WORDBREAK : DT_SINGLELINE);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  TEXTMETRICW metrics = {};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, previous);
  ::ReleaseDC(window, dc);
  return {rect.right - rect.left, rect.bottom - rect.top,
          static_cast<int>(metrics.tmHeight)};
}

RECT RectInParent(HWND control) {
  RECT rect = {};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(control),
                    reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class Win32StatusViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_ = NewWin32StatusView();
    view_->SetCaption(StatusLabel::kCancelTime, u"00:05:00");
    view_->SetCaption(StatusLabel::kStatus, u"Starte neu in 00:04:30");
    view_->SetCaption(StatusLabel::kStatus2, u"00:00:30");
    ASSERT_TRUE(view_->Show());
    view_->ProcessPendingEvents(flags_);
    window_ = win32::FindOwnWindow(kStatusWindowClass, L"ZARN Überwachung...");
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    view_->Unload();
    // Whatever the test posted is gone with the window.
    ButtonFlags ignored;
    view_->ProcessPendingEvents(ignored);
  }

  std::unique_ptr<StatusView> view_;
  ButtonFlags flags_;
  HWND window_ = nullptr;
};

TEST_F(Win32StatusViewTest, ShowsAPlainTopLevelWindowOfTheFormsSize) {
  EXPECT_TRUE(::IsWindowVisible(window_));
  EXPECT_EQ(::GetParent(window_), nullptr);
  EXPECT_EQ(::GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(::GetWindowLongW(window_, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  RECT client = {};
  ::GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 421);   // 6315 twips
  EXPECT_EQ(client.bottom, 224);  // 3360 twips
  EXPECT_FALSE(flags_.cancel_requested);
  EXPECT_FALSE(flags_.restart_requested);
}

TEST_F(Win32StatusViewTest, HasTheControlsInTabOrderWithTextsAndPlaces) {
  HWND child = ::GetWindow(window_, GW_CHILD);
  for (const ExpectedControl& expected : kExpected) {
    SCOPED_TRACE(testing::Message() << "control " << expected.id);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(::GetDlgCtrlID(child), expected.id);
    EXPECT_EQ(ClassOf(child), expected.window_class);
    EXPECT_EQ(TextOf(child), expected.text);
    EXPECT_EQ(::IsWindowVisible(child) != 0, !expected.hidden);
    const RECT rect = RectInParent(child);
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right - rect.left, expected.width);
    EXPECT_EQ(rect.bottom - rect.top, expected.height);
    const bool is_button = std::wstring(expected.window_class) == L"Button";
    EXPECT_EQ((::GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) != 0,
              is_button);
    const LOGFONTW font = FontOf(child);
    if (expected.bold) {
      EXPECT_EQ(std::wstring(font.lfFaceName), L"MS Sans Serif");
      EXPECT_EQ(font.lfWeight, FW_BOLD);
      EXPECT_EQ(font.lfHeight, -16);  // 12 points
    } else {
      // The GUI font, made as small as the captions need (or a face
      // that fits better, where the GUI font's is very wide).
      const LOGFONTW chosen = ChooseLabelFont(96);
      EXPECT_EQ(std::wstring(font.lfFaceName), std::wstring(chosen.lfFaceName));
      EXPECT_EQ(font.lfHeight, chosen.lfHeight);
      EXPECT_LT(font.lfWeight, FW_BOLD);
    }
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more than eleven controls";
}

TEST_F(Win32StatusViewTest, EveryCaptionFitsItsLabelOnOneLine) {
  // The fixture's captions, then the countdown of a checker that never
  // reported, the widest text the loop sets.
  for (const bool never_reported : {false, true}) {
    if (never_reported) {
      view_->SetCaption(StatusLabel::kStatus,
                        u"ZARN inaktiv, beende in 00:04:50");
    }
    HFONT shared = nullptr;
    for (const ExpectedControl& expected : kExpected) {
      if (expected.bold) continue;
      SCOPED_TRACE(testing::Message() << "control " << expected.id);
      HWND label = ::GetDlgItem(window_, expected.id);
      HFONT font =
          reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
      // All rows in one font.
      if (!shared) shared = font;
      EXPECT_EQ(font, shared);
      const std::wstring text = TextOf(label);
      const TextSize size = Measure(label, font, text, 0);
      EXPECT_LE(size.width, expected.width) << Utf8(text);
      EXPECT_LE(size.line_height, expected.height);
      // As the label itself breaks it: one line.
      EXPECT_EQ(Measure(label, font, text, expected.width).height,
                size.line_height)
          << Utf8(text);
    }
  }
}

TEST_F(Win32StatusViewTest, HeadlineAndButtonsShowWhole) {
  for (const ExpectedControl& expected : kExpected) {
    if (!expected.bold) continue;
    SCOPED_TRACE(testing::Message() << "control " << expected.id);
    HWND control = ::GetDlgItem(window_, expected.id);
    HFONT font =
        reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    const std::wstring text = TextOf(control);
    if (std::wstring(expected.window_class) == L"Button") {
      // One line, centred inside the button's edges.
      EXPECT_LE(Measure(control, font, text, 0).width, expected.width - 8)
          << Utf8(text);
    } else {
      // The headline's label has room for two lines.
      const TextSize size = Measure(control, font, text, expected.width);
      EXPECT_LE(size.width, expected.width) << Utf8(text);
      EXPECT_LE(size.height, expected.height) << Utf8(text);
    }
  }
}

TEST_F(Win32StatusViewTest, FocusStartsOnCmdAbbruchAndTabGoesToNeuStarten) {
  HWND cmd_abbruch = ::GetDlgItem(window_, kCmdAbbruchId);
  HWND neu_starten = ::GetDlgItem(window_, kNeuStartenId);
  EXPECT_EQ(::GetFocus(), cmd_abbruch);
  EXPECT_EQ(::GetNextDlgTabItem(window_, cmd_abbruch, FALSE), neu_starten);
  EXPECT_EQ(::GetNextDlgTabItem(window_, neu_starten, FALSE), cmd_abbruch);
}

TEST_F(Win32StatusViewTest, CaptionsChangeOnlyTheirLabel) {
  view_->SetCaption(StatusLabel::kStatus, u"Überwache...");
  view_->SetCaption(StatusLabel::kCancelTime, u"00:30:00");
  EXPECT_EQ(TextOf(::GetDlgItem(window_, kStatusId)), L"Überwache...");
  EXPECT_EQ(TextOf(::GetDlgItem(window_, kCancelTimeId)), L"00:30:00");
  EXPECT_EQ(TextOf(::GetDlgItem(window_, kStatus2Id)), L"00:00:30");
  view_->SetCaption(StatusLabel::kStatus2, u"");
  EXPECT_EQ(TextOf(::GetDlgItem(window_, kStatus2Id)), L"");
}

TEST_F(Win32StatusViewTest, AButtonActsAtTheNextEventProcessingAndHides) {
  struct Case {
    int button;
    bool cancel;
    bool restart;
  };
  for (const Case& c :
       {Case{kCmdAbbruchId, true, false}, Case{kNeuStartenId, false, true}}) {
    SCOPED_TRACE(testing::Message() << "button " << c.button);
    ASSERT_TRUE(view_->Show());
    ButtonFlags flags;
    view_->ProcessPendingEvents(flags);
    ASSERT_TRUE(::IsWindowVisible(window_));
    ::PostMessageW(::GetDlgItem(window_, c.button), BM_CLICK, 0, 0);
    // The click waits in the queue while the loop sleeps.
    ::Sleep(50);
    EXPECT_TRUE(::IsWindowVisible(window_));
    EXPECT_FALSE(flags.cancel_requested || flags.restart_requested);
    view_->ProcessPendingEvents(flags);
    EXPECT_EQ(flags.cancel_requested, c.cancel);
    EXPECT_EQ(flags.restart_requested, c.restart);
    EXPECT_FALSE(::IsWindowVisible(window_));
    // The window stays until it is unloaded.
    EXPECT_TRUE(::IsWindow(window_));
    ButtonFlags later;
    view_->ProcessPendingEvents(later);
    EXPECT_FALSE(later.cancel_requested || later.restart_requested);
  }
}

TEST_F(Win32StatusViewTest, BothButtonsBeforeTheLoopLooksSetBothFlags) {
  ::PostMessageW(::GetDlgItem(window_, kNeuStartenId), BM_CLICK, 0, 0);
  ::PostMessageW(::GetDlgItem(window_, kCmdAbbruchId), BM_CLICK, 0, 0);
  view_->ProcessPendingEvents(flags_);
  EXPECT_TRUE(flags_.cancel_requested);
  EXPECT_TRUE(flags_.restart_requested);
}

TEST_F(Win32StatusViewTest, ClosingTheFrameOrAltF4CountsAsCmdAbbruch) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM w;
  };
  for (const Case& c : {Case{"close box", WM_CLOSE, 0},
                        Case{"Alt+F4", WM_SYSCOMMAND, SC_CLOSE}}) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(view_->Show());
    ButtonFlags flags;
    ::PostMessageW(window_, c.message, c.w, 0);
    view_->ProcessPendingEvents(flags);
    EXPECT_TRUE(flags.cancel_requested);
    EXPECT_FALSE(flags.restart_requested);
    EXPECT_FALSE(::IsWindowVisible(window_));
    EXPECT_TRUE(::IsWindow(window_));
  }
}

TEST_F(Win32StatusViewTest, PowerNoticesAreTakenOnceEach) {
  struct Case {
    WPARAM event;
    bool resumed;
    bool suspending;
  };
  for (const Case& c : {Case{PBT_APMSUSPEND, false, true},
                        Case{PBT_APMRESUMEAUTOMATIC, true, false},
                        Case{PBT_APMPOWERSTATUSCHANGE, false, false}}) {
    SCOPED_TRACE(c.event);
    ::SendMessageW(window_, WM_POWERBROADCAST, c.event, 0);
    const PowerNotices heard = view_->TakePowerNotices();
    EXPECT_EQ(heard.resumed, c.resumed);
    EXPECT_EQ(heard.suspending, c.suspending);
  }
}

TEST_F(Win32StatusViewTest, TabMovesTheFocusWhenEventsAreProcessed) {
  HWND cmd_abbruch = ::GetDlgItem(window_, kCmdAbbruchId);
  ASSERT_EQ(::GetFocus(), cmd_abbruch);
  ::PostMessageW(cmd_abbruch, WM_KEYDOWN, VK_TAB, 0);
  ::PostMessageW(cmd_abbruch, WM_KEYUP, VK_TAB, 0xC0000001);
  EXPECT_EQ(::GetFocus(), cmd_abbruch);
  view_->ProcessPendingEvents(flags_);
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(window_, kNeuStartenId));
  EXPECT_FALSE(flags_.cancel_requested || flags_.restart_requested);
}

TEST_F(Win32StatusViewTest, HideKeepsTheWindowAndUnloadDestroysIt) {
  view_->Hide();
  EXPECT_FALSE(::IsWindowVisible(window_));
  EXPECT_TRUE(::IsWindow(window_));
  view_->Unload();
  EXPECT_FALSE(::IsWindow(window_));
  EXPECT_EQ(win32::FindOwnWindow(kStatusWindowClass, nullptr), nullptr);
}

TEST_F(Win32StatusViewTest, RestartsRowAppearsBelowTheHeadlineOnlyWhenSet) {
  HWND label1 = ::GetDlgItem(window_, kLabel1Id);
  HWND caption = ::GetDlgItem(window_, kLabel6Id);
  HWND value = ::GetDlgItem(window_, kNeustartsId);
  RECT window_before = {};
  ::GetWindowRect(window_, &window_before);
  EXPECT_FALSE(::IsWindowVisible(caption));
  EXPECT_FALSE(::IsWindowVisible(value));
  EXPECT_EQ(RectInParent(label1).bottom, 48);

  view_->SetCaption(StatusLabel::kRestarts, u"999 von 999 innerhalb 23:59:59");
  view_->ProcessPendingEvents(flags_);
  EXPECT_TRUE(::IsWindowVisible(caption));
  EXPECT_TRUE(::IsWindowVisible(value));
  EXPECT_EQ(TextOf(value), L"999 von 999 innerhalb 23:59:59");
  // The headline gives up its empty second line to the row, and keeps its
  // one line whole; the window keeps its size and the other rows.
  const RECT headline = RectInParent(label1);
  EXPECT_EQ(headline.bottom, 32);
  EXPECT_EQ(RectInParent(value).top, 32);
  HFONT bold =
      reinterpret_cast<HFONT>(::SendMessageW(label1, WM_GETFONT, 0, 0));
  const TextSize one =
      Measure(label1, bold, TextOf(label1), headline.right - headline.left);
  EXPECT_LE(one.height, headline.bottom - headline.top);
  for (HWND label : {caption, value}) {
    HFONT font =
        reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
    const RECT rect = RectInParent(label);
    const std::wstring text = TextOf(label);
    EXPECT_EQ(Measure(label, font, text, rect.right - rect.left).height,
              Measure(label, font, text, 0).line_height)
        << Utf8(text);
    EXPECT_LE(rect.bottom, RectInParent(::GetDlgItem(window_, kLabel5Id)).top);
  }
  RECT window_after = {};
  ::GetWindowRect(window_, &window_after);
  EXPECT_EQ(window_after.bottom - window_after.top,
            window_before.bottom - window_before.top);
  EXPECT_EQ(RectInParent(::GetDlgItem(window_, kStatusId)).top, 79);
}

TEST_F(Win32StatusViewTest, ADpiChangeLaysTheFormOutAgain) {
  RECT suggested = {};
  ::GetWindowRect(window_, &suggested);
  ::SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
  RECT client = {};
  ::GetClientRect(window_, &client);
  // The frame of this test's window keeps 96 DPI metrics, so only the
  // client area's least size can be told: 6315 by 3360 twips at 10 twips
  // a pixel.
  EXPECT_GE(client.right, 632);
  EXPECT_GE(client.bottom, 336);
  HWND neu_starten = ::GetDlgItem(window_, kNeuStartenId);
  const RECT rect = RectInParent(neu_starten);
  EXPECT_EQ(rect.left, 21);
  EXPECT_EQ(rect.top, 263);
  EXPECT_EQ(rect.right - rect.left, 587);
  EXPECT_EQ(FontOf(neu_starten).lfHeight, -24);
}

}  // namespace
}  // namespace zarn
