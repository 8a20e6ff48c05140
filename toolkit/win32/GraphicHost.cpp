// The graphic controls' side of a window: painting them, routing the mouse to them, and a canvas
// for drawing one at once on the window that shows it.
#include "toolkit/win32/GraphicHost.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/win32/GdiCanvas.h"
#include "toolkit/win32/Peers.h"

namespace toolkit::win32 {

namespace {

GraphicControl* AsGraphic(Control* control) {
  return control->Kind() == ControlKind::kGraphic ? static_cast<GraphicControl*>(control) : nullptr;
}

GraphicControl* ControlAt(Control& parent, Point p) {
  const auto& children = parent.Children();
  // The last created lies on top.
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    auto* graphic = AsGraphic(*it);
    if (graphic != nullptr && graphic->Visible() && graphic->Enabled() &&
        graphic->BoundsRect().Contains(p))
      return graphic;
  }
  return nullptr;
}

unsigned ShiftOf(WPARAM keys) {
  unsigned shift = 0;
  if (keys & MK_SHIFT) shift |= ssShift;
  if (keys & MK_CONTROL) shift |= ssCtrl;
  if (keys & MK_LBUTTON) shift |= ssLeft;
  if (keys & MK_RBUTTON) shift |= ssRight;
  if (keys & MK_MBUTTON) shift |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

// Borrows the window's device context for drawing one control at once; a base so that it is taken
// before the canvas is made and given back after the canvas has let go of its font.
class BorrowedDc {
 protected:
  BorrowedDc(HWND window, Point origin, int width, int height)
      : window_(window), dc_(GetDC(window)) {
    saved_.emplace(dc_);
    SetViewportOrgEx(dc_, origin.x, origin.y, nullptr);
    IntersectClipRect(dc_, 0, 0, width, height);
  }
  ~BorrowedDc() {
    saved_.reset();
    ReleaseDC(window_, dc_);
  }
  BorrowedDc(const BorrowedDc&) = delete;
  BorrowedDc& operator=(const BorrowedDc&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
  std::optional<SavedDc> saved_;
};

class ControlCanvas : private BorrowedDc, public GdiCanvas {
 public:
  ControlCanvas(HWND window, Point origin, int width, int height)
      : BorrowedDc(window, origin, width, height), GdiCanvas(Dc()) {}
};

}  // namespace

void GraphicHost::Paint(HDC dc, const RECT& dirty) {
  const Rect area{dirty.left, dirty.top, dirty.right, dirty.bottom};
  if (area.Width() <= 0 || area.Height() <= 0) return;
  bool any = false;
  for (Control* child : parent_.Children()) {
    auto* graphic = AsGraphic(child);
    if (graphic == nullptr || !graphic->Visible()) continue;
    const Rect b = graphic->BoundsRect();
    if (b.left < area.right && area.left < b.right && b.top < area.bottom && area.top < b.bottom)
      any = true;
  }
  if (!any) return;

  DibBitmap buffer(area.Width(), area.Height());
  const HDC memory = buffer.Handle();
  // Start from what the window has painted so far (its background), as the controls would see it.
  BitBlt(memory, 0, 0, area.Width(), area.Height(), dc, area.left, area.top, SRCCOPY);
  for (Control* child : parent_.Children()) {
    auto* graphic = AsGraphic(child);
    if (graphic == nullptr || !graphic->Visible()) continue;
    const Rect b = graphic->BoundsRect();
    if (!(b.left < area.right && area.left < b.right && b.top < area.bottom && area.top < b.bottom))
      continue;
    SavedDc saved(memory);
    SetViewportOrgEx(memory, b.left - area.left, b.top - area.top, nullptr);
    IntersectClipRect(memory, 0, 0, b.Width(), b.Height());
    GdiCanvas canvas(memory);
    graphic->Paint(canvas);
  }
  BitBlt(dc, area.left, area.top, area.Width(), area.Height(), memory, 0, 0, SRCCOPY);
}

bool GraphicHost::RouteMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  // The capture ends when another window took the mouse, or when its control is gone: a destroyed
  // control has left its parent's children.
  const auto& children = parent_.Children();
  if (capture_ != nullptr && (GetCapture() != window || std::find(children.begin(), children.end(),
                                                                  capture_) == children.end()))
    capture_ = nullptr;
  GraphicControl* target = capture_ != nullptr ? capture_ : ControlAt(parent_, p);
  if (target == nullptr) return false;
  const int x = p.x - target->Left();
  const int y = p.y - target->Top();
  const unsigned shift = ShiftOf(wParam);

  auto buttonDown = [&](TMouseButton button) {
    capture_ = target;
    SetCapture(window);
    target->MouseDown(button, shift, x, y);
    return true;
  };
  auto buttonUp = [&](TMouseButton button) {
    const bool clicked =
        button == mbLeft && capture_ == target && target->ClientRect().Contains(Point{x, y});
    target->MouseUp(button, shift, x, y);
    if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) {
      capture_ = nullptr;
      ReleaseCapture();
    }
    if (clicked) target->Click();
    return true;
  };

  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return buttonDown(mbLeft);
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      return buttonDown(mbRight);
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      return buttonDown(mbMiddle);
    case WM_MOUSEMOVE:
      target->MouseMove(shift, x, y);
      return true;
    case WM_LBUTTONUP:
      return buttonUp(mbLeft);
    case WM_RBUTTONUP:
      return buttonUp(mbRight);
    case WM_MBUTTONUP:
      return buttonUp(mbMiddle);
    default:
      return false;
  }
}

}  // namespace toolkit::win32

namespace toolkit {

std::unique_ptr<Canvas> GetControlCanvas(GraphicControl& control) {
  const WindowedHost host = FindWindowedHost(control);
  HWND window = host.window != nullptr ? win32::WindowOf(*host.window) : nullptr;
  // A hidden window shows nothing drawn on it; its paint draws the control when it shows.
  if (window == nullptr || !IsWindowVisible(window)) return nullptr;
  return std::make_unique<win32::ControlCanvas>(window, host.origin, control.Width(),
                                                control.Height());
}

}  // namespace toolkit
