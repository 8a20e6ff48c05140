// Forms and panels: they paint their colour (a panel its bevel too), host graphic controls, and
// pass the notifications and colour requests of their child windows on to the children's peers.
// A form's window is also where the user activates, resizes and closes it.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "toolkit/win32/GraphicHost.h"
#include "toolkit/win32/PeerFamilies.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit::win32 {
namespace {

constexpr UINT kMsgActivated = WM_APP + 1;

class ContainerPeer : public WindowPeer {
 public:
  explicit ContainerPeer(Control& control) : WindowPeer(control), graphics_(control) {}

  // The messages forms and panels handle alike.
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // Draws what lies inside the client area's edge and shrinks `r` to what is left.
  virtual void PaintFrame(HDC, RECT&) {}

 private:
  GraphicHost graphics_;
};

LRESULT ContainerPeer::Message(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = Window();
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintScope paint(window);
      RECT r;
      GetClientRect(window, &r);
      FillRect(paint.Dc(), &r, BackgroundBrush());
      PaintFrame(paint.Dc(), r);
      graphics_.Paint(paint.Dc(), paint.Dirty());
      return 0;
    }
    case WM_COMMAND:
      if (WindowPeer* child = WindowPeer::FromWindow(reinterpret_cast<HWND>(lParam))) {
        child->OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (WindowPeer* child = WindowPeer::FromWindow(reinterpret_cast<HWND>(lParam))) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const Control& c = child->Owner();
        SetTextColor(dc, ToColorRef(c.GetFont().color));
        SetBkColor(dc, ToColorRef(c.Color()));
        return reinterpret_cast<LRESULT>(child->BackgroundBrush());
      }
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      if (graphics_.RouteMouse(window, message, wParam, lParam)) return 0;
      break;
    default:
      break;
  }
  return DefaultProc(window, message, wParam, lParam);
}

class FormPeer : public ContainerPeer {
 public:
  FormPeer(Form& form, HWND owner) : ContainerPeer(form), form_(form) {
    DWORD style = WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (form.BorderStyle() == bsNone) {
      style |= WS_POPUP;
    } else {
      style |= WS_OVERLAPPED | WS_CAPTION;
      if (form.BorderStyle() == bsSizeable) style |= WS_THICKFRAME;
      if (form.BorderStyle() == bsDialog) exStyle |= WS_EX_DLGMODALFRAME;
      if (form.BorderIcons() & biSystemMenu) style |= WS_SYSMENU;
      if (form.BorderIcons() & biMinimize) style |= WS_MINIMIZEBOX;
      if (form.BorderIcons() & biMaximize) style |= WS_MAXIMIZEBOX;
    }
    if (form.FormStyle() == fsStayOnTop) exStyle |= WS_EX_TOPMOST;
    RECT frame{0, 0, form.ClientWidth(), form.ClientHeight()};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    int width = form.OuterWidth() > 0 ? form.OuterWidth() : frame.right - frame.left;
    int height = form.OuterHeight() > 0 ? form.OuterHeight() : frame.bottom - frame.top;
    int left = 0;
    int top = 0;
    if (form.Position() == poScreenCenter) {
      left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
      top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    Adopt(CreateWindowUtf8(exStyle, kFormClass, form.Caption(), style, left, top, width, height,
                           owner, ModuleInstance()));
    tooltip_.Reset(CreateWindowUtf8(
        WS_EX_TOPMOST, TOOLTIPS_CLASSA, "", WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(), ModuleInstance()));
  }

  void Changed(Property what) override {
    // The form's size is the window's business once it exists; its visibility is shown and
    // hidden by the backend.
    if (what == Property::kBounds || what == Property::kVisible) return;
    WindowPeer::Changed(what);
  }

  HWND Tooltip() const { return tooltip_.Get(); }

  LRESULT FormMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_SIZE:
        form_.DoResize(LOWORD(lParam), HIWORD(lParam));
        break;
      case WM_ACTIVATE:
        // The activation handler may show a modal dialog: it runs from the queue, not from inside
        // the activation message.
        if (LOWORD(wParam) != WA_INACTIVE) PostMessageA(Window(), kMsgActivated, 0, 0);
        break;
      case kMsgActivated:
        if (!App().Terminated() && IsWindowVisible(Window())) form_.DoActivate();
        return 0;
      case WM_CLOSE:
        App().Dispatch([form = &form_] { form->Close(); });
        return 0;
      default:
        break;
    }
    return Message(message, wParam, lParam);
  }

 private:
  Form& form_;
  UniqueWindow tooltip_;
};

class PanelPeer : public ContainerPeer {
 public:
  PanelPeer(Panel& panel, HWND parent) : ContainerPeer(panel), panel_(panel) {
    Adopt(MakeChild(kPanelClass, panel, parent, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, ""));
  }

 protected:
  void PaintFrame(HDC dc, RECT& r) override {
    if (panel_.BevelOuter() == bvNone) return;
    const bool raised = panel_.BevelOuter() == bvRaised;
    DrawFrame(dc, r, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight,
              panel_.BevelWidth());
  }

 private:
  Panel& panel_;
};

}  // namespace

std::unique_ptr<WindowPeer> MakeFormPeer(Form& form, HWND owner) {
  return std::make_unique<FormPeer>(form, owner);
}

std::unique_ptr<WindowPeer> MakePanelPeer(Panel& panel, HWND parent) {
  return std::make_unique<PanelPeer>(panel, parent);
}

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* peer = static_cast<FormPeer*>(WindowPeer::FromWindow(window));
  if (peer == nullptr) return DefaultProc(window, message, wParam, lParam);
  return peer->FormMessage(message, wParam, lParam);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* peer = static_cast<PanelPeer*>(WindowPeer::FromWindow(window));
  if (peer == nullptr) return DefaultProc(window, message, wParam, lParam);
  return peer->Message(message, wParam, lParam);
}

void AddHint(Control& control, HWND window) {
  Form* form = control.ParentForm();
  if (form == nullptr || form->Peer() == nullptr) return;
  HWND tooltip = static_cast<FormPeer*>(form->Peer())->Tooltip();
  const bool shown = control.ShowHint() && !control.Hint().empty();
  if (IsNt()) {
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(window);
    info.uId = reinterpret_cast<UINT_PTR>(window);
    std::wstring hint = Wide(control.Hint());
    info.lpszText = hint.data();
    SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    if (shown) SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    return;
  }
  TOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(window);
  info.uId = reinterpret_cast<UINT_PTR>(window);
  std::string hint = Ansi(control.Hint());
  info.lpszText = hint.data();
  SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  if (shown) SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace toolkit::win32
