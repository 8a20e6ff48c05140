// How a window shows its graphic (windowless) controls on Win32: the peer of each form and panel
// owns one host and hands it its paint and mouse messages. Children are painted in creation order
// into one off-screen DIB that is copied to the window once, so the picture never builds up on
// the screen and the pixel passes of the components work on memory.
#pragma once

#include <windows.h>

#include "toolkit/Controls.h"

namespace toolkit::win32 {

class GraphicHost {
 public:
  explicit GraphicHost(Control& parent) : parent_(parent) {}
  GraphicHost(const GraphicHost&) = delete;
  GraphicHost& operator=(const GraphicHost&) = delete;

  // Paints the graphic children that meet `dirty` (client coordinates) over what `dc` already
  // shows, in creation order.
  void Paint(HDC dc, const RECT& dirty);

  // Offers a mouse message of the window to the graphic child under the cursor (or to the one
  // holding the capture since a button went down on it); true when a graphic control took it.
  bool RouteMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  Control& parent_;
  // The child a button went down on keeps the mouse until the last button is released.
  GraphicControl* capture_ = nullptr;
};

}  // namespace toolkit::win32
