#include "testing/fake_status_view.h"

#include <gtest/gtest.h>

#include "testing/fake_clock.h"

namespace zarn {
namespace {

class FakeStatusViewTest : public ::testing::Test {
 protected:
  FakeClock clock_{DateTime::FromCivil(2026, 12, 7, 9, 0, 0)};
  FakeStatusView view_{&clock_};
  ButtonFlags flags_;
};

TEST_F(FakeStatusViewTest, KeepsCurrentCaptionAndHistory) {
  view_.SetCaption(StatusLabel::kStatus, u"Initialisiere...");
  view_.SetCaption(StatusLabel::kStatus, u"Überwache...");
  view_.SetCaption(StatusLabel::kCancelTime, u"00:05:00");
  EXPECT_EQ(view_.Caption(StatusLabel::kStatus), u"Überwache...");
  EXPECT_EQ(view_.Caption(StatusLabel::kStatus2), std::nullopt);
  EXPECT_EQ(
      view_.CaptionsOf(StatusLabel::kStatus),
      (std::vector<std::u16string>{u"Initialisiere...", u"Überwache..."}));
  EXPECT_EQ(view_.history().size(), 3u);
}

TEST_F(FakeStatusViewTest, EachActionSetsItsFlagAndHides) {
  struct Case {
    UserAction action;
    bool cancel;
    bool restart;
  };
  const Case cases[] = {{UserAction::kCmdAbbruch, true, false},
                        {UserAction::kNeuStarten, false, true},
                        {UserAction::kFrameClose, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.action));
    FakeStatusView view;
    ButtonFlags flags;
    view.Show();
    view.PressOnCall(2, c.action);
    view.ProcessPendingEvents(flags);
    EXPECT_FALSE(flags.cancel_requested || flags.restart_requested);
    EXPECT_TRUE(view.visible());
    view.ProcessPendingEvents(flags);
    EXPECT_EQ(flags.cancel_requested, c.cancel);
    EXPECT_EQ(flags.restart_requested, c.restart);
    EXPECT_FALSE(view.visible());
    EXPECT_EQ(view.hide_count(), 1);
  }
}

TEST_F(FakeStatusViewTest, TimedPressActsOnceAtTheFirstCallAfterItsTime) {
  view_.PressAt(DateTime::FromCivil(2026, 12, 7, 9, 0, 2),
                UserAction::kNeuStarten);
  view_.ProcessPendingEvents(flags_);
  EXPECT_FALSE(flags_.restart_requested);
  clock_.Sleep(3000);
  view_.ProcessPendingEvents(flags_);
  EXPECT_TRUE(flags_.restart_requested);
  flags_.restart_requested = false;
  view_.ProcessPendingEvents(flags_);
  EXPECT_FALSE(flags_.restart_requested);
}

TEST_F(FakeStatusViewTest, CountsCallsAfterUnload) {
  view_.Show();
  view_.Unload();
  EXPECT_TRUE(view_.unloaded());
  EXPECT_EQ(view_.calls_after_unload(), 0);
  view_.SetCaption(StatusLabel::kStatus, u"x");
  view_.Hide();
  EXPECT_EQ(view_.calls_after_unload(), 2);
}

}  // namespace
}  // namespace zarn
