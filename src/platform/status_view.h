// The status window as the supervision loop sees it: three captions (and
// a fourth where restarts are limited), show, hide, unload, and the moment
// in which its two buttons act and the system's power notices arrive.
#ifndef ZARN_PLATFORM_STATUS_VIEW_H_
#define ZARN_PLATFORM_STATUS_VIEW_H_

#include <string>
#include <string_view>

namespace zarn {

// kRestarts, the restarts within the span of the restart limit, is set
// only where that limit is on; its row is not shown until it is set, and
// the window looks as without it.
enum class StatusLabel { kCancelTime, kStatus, kStatus2, kRestarts };

// Set by the window's button handlers, read by the loop at its next step.
struct ButtonFlags {
  bool cancel_requested = false;   // CancelRequested: cmdAbbruch
  bool restart_requested = false;  // RestartRequested: NeuStarten
};

// What the system announced of its sleep and standby (PBT_APMSUSPEND, and
// PBT_APMRESUMEAUTOMATIC, which comes at every resume).
struct PowerNotices {
  bool resumed = false;     // a resume was announced
  bool suspending = false;  // the last notice announced a suspend
};

class StatusView {
 public:
  StatusView() = default;
  StatusView(const StatusView&) = delete;
  StatusView& operator=(const StatusView&) = delete;
  virtual ~StatusView() = default;

  // Creates the window on first use; later calls only change the text.
  virtual void SetCaption(StatusLabel label, std::u16string_view text) = 0;
  // Shows the window, not modal and not kept on top. Gives false when no
  // window could be made; the supervision goes on without one.
  virtual bool Show() = 0;
  virtual void Hide() = 0;
  // Destroys the window; nothing else is called after it.
  virtual void Unload() = 0;
  // Repaints and runs the handlers of what the user did since the last
  // call. cmdAbbruch, and closing the window through its frame, set
  // `flags.cancel_requested`; NeuStarten sets `flags.restart_requested`.
  // Each then hides the window. Returns without waiting.
  virtual void ProcessPendingEvents(ButtonFlags& flags) = 0;
  // The power notices the window received since the last call, in
  // ProcessPendingEvents or in any other processing of its events.
  virtual PowerNotices TakePowerNotices() = 0;
};

}  // namespace zarn

#endif  // ZARN_PLATFORM_STATUS_VIEW_H_
