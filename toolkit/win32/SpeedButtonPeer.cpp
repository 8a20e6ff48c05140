// The speed button: a flat push button of our own class that never takes the focus. It shows a
// frame while the mouse is over it (always, when it is not flat) and sinks while pressed.
#include "toolkit/win32/PeerFamilies.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit::win32 {
namespace {

class SpeedButtonPeer : public WindowPeer {
 public:
  SpeedButtonPeer(SpeedButton& button, HWND parent) : WindowPeer(button), button_(button) {
    Adopt(MakeChild(kSpeedButtonClass, button, parent, 0));
  }

  void Changed(Property what) override {
    WindowPeer::Changed(what);
    InvalidateRect(Window(), nullptr, TRUE);
  }

  void Paint(HDC dc) {
    RECT r;
    GetClientRect(Window(), &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    RECT frame = r;
    if (pressed_ && hot_) {
      DrawFrame(dc, frame, clBtnShadow, clBtnHighlight, 1);
    } else if (hot_ || !button_.Flat()) {
      DrawFrame(dc, frame, clBtnHighlight, clBtnShadow, 1);
    }
    SelectedObject font(dc, FontHandle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(
        dc, button_.Enabled() ? ToColorRef(button_.GetFont().color) : GetSysColor(COLOR_GRAYTEXT));
    if (pressed_ && hot_) OffsetRect(&r, 1, 1);
    DrawTextUtf8(dc, button_.Caption(), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }

  LRESULT Mouse(UINT message, LPARAM lParam) {
    POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
    RECT r;
    GetClientRect(Window(), &r);
    bool inside = PtInRect(&r, p) != FALSE;
    switch (message) {
      case WM_LBUTTONDOWN:
        if (!button_.Enabled()) break;
        pressed_ = true;
        hot_ = true;
        SetCapture(Window());
        break;
      case WM_MOUSEMOVE:
        if (inside != hot_) {
          hot_ = inside;
          if (inside && !pressed_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Window(), 0};
            TrackMouseEvent(&track);
          }
        }
        break;
      case WM_MOUSELEAVE:
        if (!pressed_) hot_ = false;
        break;
      case WM_LBUTTONUP:
        if (pressed_) {
          pressed_ = false;
          ReleaseCapture();
          InvalidateRect(Window(), nullptr, TRUE);
          if (inside) button_.Click();
          return 0;
        }
        break;
      default:
        break;
    }
    InvalidateRect(Window(), nullptr, TRUE);
    return 0;
  }

 private:
  SpeedButton& button_;
  bool pressed_ = false;
  bool hot_ = false;
};

}  // namespace

std::unique_ptr<WindowPeer> MakeSpeedButtonPeer(SpeedButton& button, HWND parent) {
  return std::make_unique<SpeedButtonPeer>(button, parent);
}

LRESULT CALLBACK SpeedButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* peer = static_cast<SpeedButtonPeer*>(WindowPeer::FromWindow(window));
  if (peer != nullptr) {
    switch (message) {
      case WM_PAINT: {
        PaintScope paint(window);
        peer->Paint(paint.Dc());
        return 0;
      }
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_MOUSEMOVE:
      case WM_MOUSELEAVE:
        return peer->Mouse(message, lParam);
      default:
        break;
    }
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefaultProc(window, message, wParam, lParam);
}

}  // namespace toolkit::win32
