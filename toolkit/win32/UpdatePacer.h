// Keeps a window in step with its control at most every kInterval. During an extraction the
// status line changes for every file, hundreds of times a second, and under Wine each update of a
// window (its text kept by the server, a new size, a paint) is several round trips to the server.
// A change that comes sooner than kInterval after the last update is shown by a timer on the
// window instead, so the window is never more than kInterval behind its control, and a burst of
// changes costs one update per interval instead of one each.
#pragma once

#include <windows.h>

#include <chrono>

#include "toolkit/win32/TickClock.h"

namespace toolkit::win32 {

class UpdatePacer {
 public:
  using Clock = TickClock;
  // Ten updates a second: as often as anyone reads a file name, and as often as the system's own
  // copy progress changes. Each update of the status line costs one to two milliseconds under
  // Wine (new text, new size, the parent's repaint of what the label gave back).
  static constexpr Clock::duration kInterval = std::chrono::milliseconds(100);
  // The identifier of the timer the pacer sets on its window.
  static constexpr UINT_PTR kTimerId = 0x5450;

  // True when the caller is to update the window now. Otherwise `onTimer` is called in time (by
  // whichever message loop runs), and is to call TimerFired and then update the window.
  bool UpdateNow(HWND window, TIMERPROC onTimer) {
    if (pending_) return false;  // the timer shows this change as well
    const Clock::time_point now = Clock::now();
    const Clock::duration since = now - last_;
    if (since >= kInterval) {
      last_ = now;
      return true;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(kInterval - since);
    pending_ = SetTimer(window, kTimerId, UINT(wait.count()), onTimer) != 0;
    if (!pending_) last_ = now;  // no timer to be had: update at once rather than never
    return !pending_;
  }

  void TimerFired(HWND window) {
    KillTimer(window, kTimerId);
    pending_ = false;
    last_ = Clock::now();
  }

 private:
  Clock::time_point last_{};
  bool pending_ = false;
};

}  // namespace toolkit::win32
