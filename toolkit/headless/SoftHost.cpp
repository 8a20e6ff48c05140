#include "toolkit/headless/SoftHost.h"

#include <algorithm>
#include <vector>

namespace toolkit::headless {

namespace {

std::vector<SoftScreen*>& Screens() {
  static std::vector<SoftScreen*> screens;
  return screens;
}

}  // namespace

void PaintGraphicChildren(Control& parent, SoftRaster& raster, const Rect& dirty) {
  for (Control* child : parent.Children()) {
    auto* graphic = dynamic_cast<GraphicControl*>(child);
    if (graphic == nullptr || !graphic->Visible()) continue;
    const Rect bounds = graphic->BoundsRect();
    const Rect clip = Intersect(bounds, dirty);
    if (clip.Width() <= 0 || clip.Height() <= 0) continue;
    SoftCanvas canvas(raster, Point{bounds.left, bounds.top}, clip);
    graphic->Paint(canvas);
  }
}

std::unique_ptr<SoftBitmap> PaintToRaster(Control& control) {
  auto picture = std::make_unique<SoftBitmap>(control.Width(), control.Height());
  if (auto* graphic = dynamic_cast<GraphicControl*>(&control)) {
    graphic->Paint(picture->Soft());
    return picture;
  }
  picture->Soft().SetBrushColor(control.Color());
  picture->Soft().FillRect(control.ClientRect());
  PaintGraphicChildren(control, picture->Raster(), control.ClientRect());
  return picture;
}

SoftScreen::SoftScreen(Control& window)
    : window_(window), raster_(window.Width(), window.Height()) {
  Screens().push_back(this);
}

SoftScreen::~SoftScreen() { std::erase(Screens(), this); }

void SoftScreen::Paint() {
  SoftCanvas canvas(raster_);
  canvas.SetBrushColor(window_.Color());
  canvas.FillRect(window_.ClientRect());
  PaintGraphicChildren(window_, raster_, window_.ClientRect());
}

}  // namespace toolkit::headless

namespace toolkit {

std::unique_ptr<Canvas> GetControlCanvas(GraphicControl& control) {
  const WindowedHost host = FindWindowedHost(control);
  if (host.window == nullptr) return nullptr;
  for (headless::SoftScreen* screen : headless::Screens()) {
    if (&screen->Window() == host.window) {
      const Point origin = host.origin;
      const Rect clip{origin.x, origin.y, origin.x + control.Width(), origin.y + control.Height()};
      return std::make_unique<headless::SoftCanvas>(screen->Raster(), origin, clip);
    }
  }
  return nullptr;
}

}  // namespace toolkit
