// The status window without a window: it keeps the captions and their
// history, counts show, hide and unload, and plays button presses that a
// test scripts by event-processing call or by time.
#ifndef ZARN_TESTING_FAKE_STATUS_VIEW_H_
#define ZARN_TESTING_FAKE_STATUS_VIEW_H_

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/date_time.h"
#include "platform/status_view.h"
#include "testing/event_journal.h"
#include "testing/fake_clock.h"

namespace zarn {

enum class UserAction {
  kCmdAbbruch,  // "Überwachung abbrechen"
  kNeuStarten,  // "Jetzt neu starten"
  kFrameClose,  // the frame's close box or Alt+F4
};

struct CaptionChange {
  StatusLabel label;
  std::u16string text;
};

class FakeStatusView final : public StatusView {
 public:
  // `clock` is needed only for presses scripted by time.
  explicit FakeStatusView(FakeClock* clock = nullptr) : clock_(clock) {}

  void SetCaption(StatusLabel label, std::u16string_view text) override;
  bool Show() override;
  void Hide() override;
  void Unload() override;
  void ProcessPendingEvents(ButtonFlags& flags) override;
  PowerNotices TakePowerNotices() override;

  // The user acts during the `call`-th ProcessPendingEvents (1-based).
  void PressOnCall(int call, UserAction action);
  // The user acts during the first ProcessPendingEvents at or after `when`.
  void PressAt(DateTime when, UserAction action);
  // The system announces a suspend (true) or a resume (false); the window
  // hears it in the next ProcessPendingEvents.
  void Announce(bool suspend) { announced_.push_back(suspend); }
  // What Show reports; true unless told otherwise.
  void set_show_result(bool result) { show_result_ = result; }
  // Records "show", "hide", "unload", "events" and "caption <label>: text".
  void set_journal(EventJournal* journal) { journal_ = journal; }

  // The current text of a label; nullopt while it was never set.
  std::optional<std::u16string> Caption(StatusLabel label) const;
  const std::vector<CaptionChange>& history() const { return history_; }
  // Every text a label took, in order.
  std::vector<std::u16string> CaptionsOf(StatusLabel label) const;
  bool visible() const { return visible_; }
  bool unloaded() const { return unloaded_; }
  int show_count() const { return show_count_; }
  int hide_count() const { return hide_count_; }
  int unload_count() const { return unload_count_; }
  int event_calls() const { return event_calls_; }
  // Calls that arrived after Unload, which the window contract forbids.
  int calls_after_unload() const { return calls_after_unload_; }

 private:
  void Note(const char* event);
  void Act(UserAction action, ButtonFlags& flags);

  FakeClock* clock_;
  std::map<StatusLabel, std::u16string> captions_;
  std::vector<CaptionChange> history_;
  std::vector<std::pair<int, UserAction>> presses_by_call_;
  std::vector<std::pair<DateTime, UserAction>> presses_by_time_;
  std::vector<bool> announced_;
  PowerNotices heard_;
  bool show_result_ = true;
  bool visible_ = false;
  bool unloaded_ = false;
  int show_count_ = 0;
  int hide_count_ = 0;
  int unload_count_ = 0;
  int event_calls_ = 0;
  int calls_after_unload_ = 0;
  EventJournal* journal_ = nullptr;
};

}  // namespace zarn

#endif  // ZARN_TESTING_FAKE_STATUS_VIEW_H_
