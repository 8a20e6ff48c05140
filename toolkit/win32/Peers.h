// The Win32 peers: each windowed control becomes a real child window that mirrors its properties,
// so that a test (or an accessibility tool) reads captions, states and positions through Win32.
// A peer owns its window; a control's window is found through its peer and nowhere else, so a
// control that goes takes its window with it.
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

// The window of a control's peer; null for a control without one (a graphic control, or one whose
// form has not been created).
HWND WindowOf(const Control& control);

// Registers the window classes once; call before creating any peer.
void RegisterWindowClasses(HINSTANCE instance);

// Registers one window class of the program's, with its icon and the arrow cursor: a wide class
// on the NT family, so that its windows take and give UTF-16 texts.
void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc, UINT style);

// Creates the peer of one windowed control, its window a child of `parent` (a form's is owned by
// `owner` instead).
std::unique_ptr<WindowPeer> CreatePeer(Control& control, HWND parent, HWND owner);

// Resolves a TColor, system colours included, to a COLORREF.
COLORREF ToColorRef(TColor color);

}  // namespace toolkit::win32
