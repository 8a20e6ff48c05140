// How windows show their graphic (windowless) controls on Win32: the window procedure hands its
// paint and mouse messages here. Children are painted in creation order into one off-screen DIB
// that is copied to the window once, so the picture never builds up on the screen and the pixel
// passes of the components work on memory.
#pragma once

#include <windows.h>

#include "toolkit/Controls.h"

namespace toolkit::win32 {

// Paints the graphic children of `parent` that meet `dirty` (client coordinates) over what `dc`
// already shows, in creation order.
void PaintGraphicChildren(Control& parent, HDC dc, const RECT& dirty);

// Offers a mouse message of `parent`'s window to the graphic child under the cursor (or to the one
// holding the capture since a button went down on it); returns true when a graphic control took it.
bool RouteMouseToGraphic(Control& parent, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace toolkit::win32
