// The progress bar: the system's control, kept in step with its ProgressBar at the pace of an
// UpdatePacer, since an extraction moves it for every file.
#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include "toolkit/win32/PeerFamilies.h"
#include "toolkit/win32/SystemText.h"
#include "toolkit/win32/UpdatePacer.h"

namespace toolkit::win32 {
namespace {

class ProgressPeer : public WindowPeer {
 public:
  ProgressPeer(ProgressBar& bar, HWND parent) : WindowPeer(bar), bar_(bar) {
    Adopt(MakeChild(PROGRESS_CLASSA, bar, parent, 0, 0, ""));
    // The themed bar stretches the theme's pictures with halftone filtering at every paint, about
    // a millisecond under Wine; the classic bar fills a few rectangles. A blank, not an empty
    // string, is the "no theme" both Windows and Wine keep.
    SetWindowTheme(Window(), L" ", L" ");
    systemProc_ = reinterpret_cast<WNDPROC>(
        SetWindowData(Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BarProc)));
    Mirror();
  }

  void Changed(Property what) override {
    if (what == Property::kProgress) {
      if (pacer_.UpdateNow(Window(), PacerTimer<ProgressPeer>)) Mirror();
      return;
    }
    WindowPeer::Changed(what);
  }

  void OnPacerTimer() {
    pacer_.TimerFired(Window());
    Mirror();
  }

 private:
  // Each setter reports the whole state; only what differs from the control's is sent. The
  // extraction sets every value once per file and steps the bar every 32768 bytes, and each
  // message sent repaints the bar: the pacer keeps the bar at most one interval behind instead.
  void Mirror() {
    if (!mirrored_ || bar_.Min() != min_ || bar_.Max() != max_) {
      SendMessageA(Window(), PBM_SETRANGE32, WPARAM(bar_.Min()), LPARAM(bar_.Max()));
      min_ = bar_.Min();
      max_ = bar_.Max();
      // The system's bar keeps its position within the new range by itself; asked of it, not of
      // the window, which answers from the control.
      position_ = int(CallProc(systemProc_, Window(), PBM_GETPOS, 0, 0));
    }
    if (!mirrored_ || bar_.Step() != step_) {
      SendMessageA(Window(), PBM_SETSTEP, WPARAM(bar_.Step()), 0);
      step_ = bar_.Step();
    }
    if (!mirrored_ || bar_.Position() != position_) {
      SendMessageA(Window(), PBM_SETPOS, WPARAM(bar_.Position()), 0);
      position_ = bar_.Position();
    }
    mirrored_ = true;
  }

  // The bar may be one pacer interval behind its control, so it answers for its range and
  // position from the control; everything else goes to the system's progress bar.
  static LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* peer = static_cast<ProgressPeer*>(WindowPeer::FromWindow(window));
    if (peer != nullptr) {
      const ProgressBar& bar = peer->bar_;
      switch (message) {
        case PBM_GETPOS:
          return bar.Position();
        case PBM_GETRANGE:
          if (lParam != 0) *reinterpret_cast<PBRANGE*>(lParam) = PBRANGE{bar.Min(), bar.Max()};
          return wParam ? bar.Min() : bar.Max();
        default:
          break;
      }
    }
    return CallProc(systemProc_, window, message, wParam, lParam);
  }

  // The progress bar class's own window procedure, the same for every bar.
  static inline WNDPROC systemProc_ = nullptr;

  ProgressBar& bar_;
  UpdatePacer pacer_;
  // The values last sent to the control.
  bool mirrored_ = false;
  int min_ = 0;
  int max_ = 0;
  int step_ = 0;
  int position_ = 0;
};

}  // namespace

std::unique_ptr<WindowPeer> MakeProgressPeer(ProgressBar& bar, HWND parent) {
  return std::make_unique<ProgressPeer>(bar, parent);
}

}  // namespace toolkit::win32
