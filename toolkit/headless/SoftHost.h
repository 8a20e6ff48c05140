// How the headless backend shows graphic (windowless) controls: a window's picture is a raster
// filled with the window's colour and its graphic children painted over it in creation order,
// as the Win32 backend paints them on the window's device context.
#pragma once

#include <memory>

#include "toolkit/Controls.h"
#include "toolkit/headless/SoftCanvas.h"

namespace toolkit::headless {

// Paints graphic children of `parent` that meet `dirty` (parent client coordinates) into `raster`,
// whose (0, 0) is the parent's client corner.
void PaintGraphicChildren(Control& parent, SoftRaster& raster, const Rect& dirty);

// A picture of `control`: a graphic control alone on white, or a windowed control with its colour
// and its graphic children.
std::unique_ptr<SoftBitmap> PaintToRaster(Control& control);

// A window's screen in the headless backend. While one exists, the window's graphic controls draw
// at once into it (GetControlCanvas); without one they have nowhere to draw outside a paint.
class SoftScreen {
 public:
  explicit SoftScreen(Control& window);
  ~SoftScreen();
  SoftScreen(const SoftScreen&) = delete;
  SoftScreen& operator=(const SoftScreen&) = delete;

  Control& Window() { return window_; }
  SoftRaster& Raster() { return raster_; }
  // The window's paint: its colour, then its graphic children.
  void Paint();

 private:
  Control& window_;
  SoftRaster raster_;
};

}  // namespace toolkit::headless
