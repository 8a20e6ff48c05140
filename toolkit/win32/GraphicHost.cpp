#include "toolkit/win32/GraphicHost.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "toolkit/win32/GdiCanvas.h"

namespace toolkit::win32 {

namespace {

// Windows that showed graphic controls, learned from their paint and mouse messages: the toolkit's
// peers do not hand out their window, and a control can only draw at once on a window that exists.
std::vector<std::pair<const Control*, HWND>>& KnownWindows() {
  static std::vector<std::pair<const Control*, HWND>> windows;
  return windows;
}

void Remember(const Control& parent, HWND window) {
  if (window == nullptr) return;
  auto& known = KnownWindows();
  auto it = std::find_if(known.begin(), known.end(), [&](auto& e) { return e.first == &parent; });
  if (it != known.end())
    it->second = window;
  else
    known.emplace_back(&parent, window);
}

HWND WindowOf(const Control& parent) {
  for (auto& [control, window] : KnownWindows()) {
    if (control == &parent) return IsWindow(window) ? window : nullptr;
  }
  return nullptr;
}

// The control a button went down on keeps the mouse until the last button is released.
struct Capture {
  GraphicControl* control = nullptr;
  HWND window = nullptr;
};
Capture& TheCapture() {
  static Capture capture;
  return capture;
}

GraphicControl* ControlAt(Control& parent, Point p) {
  const auto& children = parent.Children();
  // The last created lies on top.
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    auto* graphic = dynamic_cast<GraphicControl*>(*it);
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

void PaintGraphicChildren(Control& parent, HDC dc, const RECT& dirty) {
  Remember(parent, WindowFromDC(dc));
  const Rect area{dirty.left, dirty.top, dirty.right, dirty.bottom};
  if (area.Width() <= 0 || area.Height() <= 0) return;
  bool any = false;
  for (Control* child : parent.Children()) {
    auto* graphic = dynamic_cast<GraphicControl*>(child);
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
  for (Control* child : parent.Children()) {
    auto* graphic = dynamic_cast<GraphicControl*>(child);
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

bool RouteMouseToGraphic(Control& parent, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Remember(parent, window);
  const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  Capture& capture = TheCapture();
  if (capture.control != nullptr && (capture.window != window || GetCapture() != window))
    capture = Capture{};
  GraphicControl* target = capture.control != nullptr ? capture.control : ControlAt(parent, p);
  if (target == nullptr) return false;
  const int x = p.x - target->Left();
  const int y = p.y - target->Top();
  const unsigned shift = ShiftOf(wParam);

  auto buttonDown = [&](TMouseButton button) {
    capture = Capture{target, window};
    SetCapture(window);
    target->MouseDown(button, shift, x, y);
    return true;
  };
  auto buttonUp = [&](TMouseButton button) {
    const bool clicked =
        button == mbLeft && capture.control == target && target->ClientRect().Contains(Point{x, y});
    target->MouseUp(button, shift, x, y);
    if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) {
      capture = Capture{};
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
  if (host.window == nullptr) return nullptr;
  HWND window = win32::WindowOf(*host.window);
  if (window == nullptr) return nullptr;
  return std::make_unique<win32::ControlCanvas>(window, host.origin, control.Width(),
                                                control.Height());
}

}  // namespace toolkit
