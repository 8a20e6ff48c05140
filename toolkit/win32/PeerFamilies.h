// What the peer families share, and what each family hands to the factory in Peers.cpp: one
// function that makes its peer and, for the window classes of our own, the window procedure.
// Each family lives in its own file: containers (forms, panels), labels and images, the speed
// button, the system's controls (radio button, edit, rich edit), the progress bar and the folder
// box.
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/Controls.h"
#include "toolkit/Forms.h"
#include "toolkit/win32/Peers.h"

namespace toolkit::win32 {

// The window classes of our own, each named after its kind of control.
constexpr const char* kFormClass = "TForm";
constexpr const char* kPanelClass = "TPanel";
constexpr const char* kLabelClass = "TLabel";
constexpr const char* kSpeedButtonClass = "TSpeedButton";
constexpr const char* kImageClass = "TImage";

// The module the window classes of our own are registered for.
HINSTANCE ModuleInstance();

// The style every child window takes from its control's visibility and state.
DWORD ChildStyle(const Control& control);

// A child window at the control's bounds, its text the control's caption unless `text` is given.
HWND MakeChild(const char* windowClass, Control& control, HWND parent, DWORD style,
               DWORD exStyle = 0, const char* text = nullptr);

// A 3-D frame `width` pixels deep, light on the top and left, dark on the bottom and right; `r`
// shrinks to what lies inside it.
void DrawFrame(HDC dc, RECT& r, TColor topLeft, TColor bottomRight, int width);

// Puts the control's hint on its form's tooltip, or takes it off when the control shows none.
void AddHint(Control& control, HWND window);

// The timer of a peer's UpdatePacer: the peer shows its control's latest state.
template <typename Peer>
void CALLBACK PacerTimer(HWND window, UINT, UINT_PTR, DWORD) {
  if (auto* peer = static_cast<Peer*>(WindowPeer::FromWindow(window))) peer->OnPacerTimer();
}

// Containers.
std::unique_ptr<WindowPeer> MakeFormPeer(Form& form, HWND owner);
std::unique_ptr<WindowPeer> MakePanelPeer(Panel& panel, HWND parent);
LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Labels and images.
std::unique_ptr<WindowPeer> MakeLabelPeer(Label& label, HWND parent);
std::unique_ptr<WindowPeer> MakeImagePeer(Image& image, HWND parent);
LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The speed button.
std::unique_ptr<WindowPeer> MakeSpeedButtonPeer(SpeedButton& button, HWND parent);
LRESULT CALLBACK SpeedButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The system's controls.
std::unique_ptr<WindowPeer> MakeRadioPeer(RadioButton& radio, HWND parent);
std::unique_ptr<WindowPeer> MakeEditPeer(Edit& edit, HWND parent);
std::unique_ptr<WindowPeer> MakeRichEditPeer(RichEdit& edit, HWND parent);
std::unique_ptr<WindowPeer> MakeProgressPeer(ProgressBar& bar, HWND parent);
std::unique_ptr<WindowPeer> MakeDirectoryEditPeer(DirectoryEdit& edit, HWND parent);

}  // namespace toolkit::win32
