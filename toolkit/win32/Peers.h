// The Win32 peers: each windowed control becomes a real child window that mirrors its properties,
// so that a test (or an accessibility tool) reads captions, states and positions through Win32.
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/Controls.h"
#include "toolkit/Forms.h"
#include "toolkit/win32/Handles.h"

namespace toolkit::win32 {

class WindowPeer : public ControlPeer {
 public:
  explicit WindowPeer(Control& control) : control_(control) {}
  ~WindowPeer() override;

  HWND Window() const { return window_.Get(); }
  Control& Owner() const { return control_; }
  void Changed(Property what) override;
  void Invalidate(const Rect* area) override;
  void Update() override;
  void SetFocus() override;

  // Notifications from the window or its children.
  virtual void OnCommand(HWND /*from*/, int /*code*/) {}
  // The brush a child of this window paints its background with (WM_CTLCOLOR...).
  HBRUSH BackgroundBrush();
  HFONT FontHandle();

  static WindowPeer* FromWindow(HWND window);

 protected:
  void Adopt(HWND window);
  void ApplyFont();

  Control& control_;
  UniqueWindow window_;
  UniqueFont font_;
  UniqueBrush brush_;
  TColor brushColor_ = 0xFFFFFFFF;
};

// Registers the window classes once; call before creating any peer.
void RegisterWindowClasses(HINSTANCE instance);

// Creates the peer of one control, its window a child of `parent` (nullptr for a form).
std::unique_ptr<WindowPeer> CreatePeer(Control& control, HWND parent, HWND owner);

// Resolves a TColor, system colours included, to a COLORREF.
COLORREF ToColorRef(TColor color);

}  // namespace toolkit::win32
