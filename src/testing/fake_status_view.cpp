#include "testing/fake_status_view.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "common/text.h"

namespace zarn {
namespace {

const char* LabelName(StatusLabel label) {
  switch (label) {
    case StatusLabel::kCancelTime:
      return "CancelTime";
    case StatusLabel::kStatus:
      return "Status";
    case StatusLabel::kStatus2:
      return "Status2";
    case StatusLabel::kRestarts:
      return "Restarts";
  }
  return "?";
}

}  // namespace

void FakeStatusView::Note(const char* event) {
  if (unloaded_) ++calls_after_unload_;
  if (journal_) journal_->Record(event);
}

void FakeStatusView::SetCaption(StatusLabel label, std::u16string_view text) {
  if (unloaded_) ++calls_after_unload_;
  captions_[label] = std::u16string(text);
  history_.push_back(CaptionChange{label, std::u16string(text)});
  if (journal_) {
    journal_->Record(std::string("caption ") + LabelName(label) + ": " +
                     Utf16ToUtf8(text));
  }
}

bool FakeStatusView::Show() {
  Note("show");
  ++show_count_;
  if (show_result_) visible_ = true;
  return show_result_;
}

void FakeStatusView::Hide() {
  Note("hide");
  ++hide_count_;
  visible_ = false;
}

void FakeStatusView::Unload() {
  Note("unload");
  ++unload_count_;
  visible_ = false;
  unloaded_ = true;
}

void FakeStatusView::PressOnCall(int call, UserAction action) {
  presses_by_call_.emplace_back(call, action);
}

void FakeStatusView::PressAt(DateTime when, UserAction action) {
  if (clock_ == nullptr) {
    std::fprintf(stderr, "FakeStatusView: PressAt needs a clock\n");
    std::abort();
  }
  presses_by_time_.emplace_back(when, action);
}

void FakeStatusView::Act(UserAction action, ButtonFlags& flags) {
  // Each handler sets its flag, then hides the window; closing through the
  // frame counts as cmdAbbruch.
  if (action == UserAction::kNeuStarten) {
    flags.restart_requested = true;
  } else {
    flags.cancel_requested = true;
  }
  Hide();
}

void FakeStatusView::ProcessPendingEvents(ButtonFlags& flags) {
  Note("events");
  ++event_calls_;
  for (const bool suspend : announced_) {
    heard_.suspending = suspend;
    heard_.resumed |= !suspend;
  }
  announced_.clear();
  for (const auto& [call, action] : presses_by_call_) {
    if (call == event_calls_) Act(action, flags);
  }
  if (!presses_by_time_.empty()) {
    const DateTime now = clock_->Now();
    for (auto it = presses_by_time_.begin(); it != presses_by_time_.end();) {
      if (it->first <= now) {
        Act(it->second, flags);
        it = presses_by_time_.erase(it);
      } else {
        ++it;
      }
    }
  }
}

PowerNotices FakeStatusView::TakePowerNotices() {
  return std::exchange(heard_, PowerNotices{});
}

std::optional<std::u16string> FakeStatusView::Caption(StatusLabel label) const {
  auto it = captions_.find(label);
  if (it == captions_.end()) return std::nullopt;
  return it->second;
}

std::vector<std::u16string> FakeStatusView::CaptionsOf(
    StatusLabel label) const {
  std::vector<std::u16string> out;
  for (const CaptionChange& change : history_) {
    if (change.label == label) out.push_back(change.text);
  }
  return out;
}

}  // namespace zarn
