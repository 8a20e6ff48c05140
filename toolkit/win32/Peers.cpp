// How a control gets its window: the kind the control reports picks its peer family, and the
// window classes of our own are registered with the family's window procedure.
#include "toolkit/win32/Peers.h"

#include "toolkit/win32/PeerFamilies.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit::win32 {
namespace {

HINSTANCE gInstance = nullptr;

}  // namespace

HINSTANCE ModuleInstance() { return gInstance; }

void RegisterWindowClasses(HINSTANCE instance) {
  gInstance = instance;
  struct Entry {
    const char* name;
    WNDPROC proc;
    UINT style = 0;
  };
  const Entry classes[] = {{kFormClass, FormProc},
                           {kPanelClass, PanelProc},
                           {kLabelClass, LabelProc, CS_OWNDC},
                           {kSpeedButtonClass, SpeedButtonProc},
                           {kImageClass, ImageProc}};
  for (const Entry& entry : classes) {
    RegisterWindowClass(instance, entry.name, entry.proc, CS_DBLCLKS | entry.style);
  }
}

void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc, UINT style) {
  HCURSOR cursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  HICON icon = LoadIconA(instance, "MAINICON");
  if (IsNt()) {
    const std::wstring wideName = Wide(name);
    WNDCLASSW wc{};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hIcon = icon;
    wc.lpszClassName = wideName.c_str();
    RegisterClassW(&wc);
    return;
  }
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = cursor;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

std::unique_ptr<WindowPeer> CreatePeer(Control& control, HWND parent, HWND owner) {
  // Each control reports the one kind it is, so the cast below is to its own class (or a base of
  // it) and the order of the cases does not matter.
  switch (control.Kind()) {
    case ControlKind::kForm:
      return MakeFormPeer(static_cast<Form&>(control), owner);
    case ControlKind::kPanel:
      return MakePanelPeer(static_cast<Panel&>(control), parent);
    case ControlKind::kLabel:
      return MakeLabelPeer(static_cast<Label&>(control), parent);
    case ControlKind::kRadioButton:
      return MakeRadioPeer(static_cast<RadioButton&>(control), parent);
    case ControlKind::kEdit:
      return MakeEditPeer(static_cast<Edit&>(control), parent);
    case ControlKind::kDirectoryEdit:
      return MakeDirectoryEditPeer(static_cast<DirectoryEdit&>(control), parent);
    case ControlKind::kSpeedButton:
      return MakeSpeedButtonPeer(static_cast<SpeedButton&>(control), parent);
    case ControlKind::kProgressBar:
      return MakeProgressPeer(static_cast<ProgressBar&>(control), parent);
    case ControlKind::kImage:
      return MakeImagePeer(static_cast<Image&>(control), parent);
    case ControlKind::kRichEdit:
      return MakeRichEditPeer(static_cast<RichEdit&>(control), parent);
    case ControlKind::kGraphic:
      // Painted by its parent's window; it has none of its own.
      break;
  }
  return nullptr;
}

}  // namespace toolkit::win32
