// What every peer does with its window: it owns it, finds itself from it, names it after its
// control, and mirrors the properties all controls share. The helpers the families share to make
// and paint their windows are here as well.
#include <string>

#include "toolkit/win32/PeerFamilies.h"
#include "toolkit/win32/Peers.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit::win32 {
namespace {

constexpr const char* kNameProperty = "ControlName";

// Pixel height as a negative lfHeight: the character height without internal leading, as the
// controls' fonts are given.
UniqueFont MakeFont(const Font& font) {
  LOGFONTA lf{};
  lf.lfHeight = -font.height;
  lf.lfWeight = font.Bold() ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (font.style & fsItalic) != 0;
  lf.lfUnderline = (font.style & fsUnderline) != 0;
  lf.lfStrikeOut = (font.style & fsStrikeOut) != 0;
  lf.lfEscapement = lf.lfOrientation = font.escapement;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  return UniqueFont(CreateFontUtf8(lf, font.name));
}

}  // namespace

COLORREF ToColorRef(TColor color) {
  if (color & kSystemColorFlag) return GetSysColor(int(color & 0xFF));
  return COLORREF(color & 0x00FFFFFF);
}

HWND WindowOf(const Control& control) {
  // Every peer the Win32 backend attaches is a window peer.
  auto* peer = static_cast<WindowPeer*>(control.Peer());
  return peer == nullptr ? nullptr : peer->Window();
}

WindowPeer::~WindowPeer() {
  if (!window_) return;
  SetWindowData(window_.Get(), GWLP_USERDATA, 0);
  auto atom = ATOM(reinterpret_cast<ULONG_PTR>(RemovePropA(window_.Get(), kNameProperty)));
  if (atom != 0) GlobalDeleteAtom(atom);
}

WindowPeer* WindowPeer::FromWindow(HWND window) {
  if (window == nullptr) return nullptr;
  return reinterpret_cast<WindowPeer*>(WindowData(window, GWLP_USERDATA));
}

void WindowPeer::Adopt(HWND window) {
  window_.Reset(window);
  SetWindowData(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // The control's name as a window property, so that tools outside the process (and the Wine
  // tests) can tell the controls apart.
  ATOM atom = GlobalAddAtomA(control_.Name().c_str());
  SetPropA(window, kNameProperty, reinterpret_cast<HANDLE>(ULONG_PTR(atom)));
}

HFONT WindowPeer::FontHandle() {
  if (!font_) font_ = MakeFont(control_.GetFont());
  return font_.Get();
}

void WindowPeer::ApplyFont() {
  font_ = MakeFont(control_.GetFont());
  SendMessageA(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
}

HBRUSH WindowPeer::BackgroundBrush() {
  if (!brush_ || brushColor_ != control_.Color()) {
    brushColor_ = control_.Color();
    brush_.Reset(CreateSolidBrush(ToColorRef(brushColor_)));
  }
  return brush_.Get();
}

void WindowPeer::Changed(Property what) {
  HWND window = Window();
  switch (what) {
    case Property::kBounds: {
      const Rect& b = control_.BoundsRect();
      MoveWindow(window, b.left, b.top, b.Width(), b.Height(), TRUE);
      break;
    }
    case Property::kCaption:
      SetWindowTextUtf8(window, control_.Caption());
      break;
    case Property::kFont:
      ApplyFont();
      break;
    case Property::kVisible:
      ShowWindow(window, control_.Visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Property::kEnabled:
      EnableWindow(window, control_.Enabled());
      InvalidateRect(window, nullptr, TRUE);
      break;
    case Property::kColor:
      // Children that take this colour repaint with it.
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    default:
      InvalidateRect(window, nullptr, TRUE);
      break;
  }
}

void WindowPeer::Invalidate(const Rect* area) {
  if (area == nullptr) {
    InvalidateRect(Window(), nullptr, TRUE);
    return;
  }
  RECT r{area->left, area->top, area->right, area->bottom};
  InvalidateRect(Window(), &r, TRUE);
}

void WindowPeer::Update() {
  RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void WindowPeer::SetFocus() { ::SetFocus(Window()); }

DWORD ChildStyle(const Control& control) {
  return WS_CHILD | WS_CLIPSIBLINGS | (control.Visible() ? WS_VISIBLE : 0) |
         (control.Enabled() ? 0 : WS_DISABLED);
}

HWND MakeChild(const char* windowClass, Control& control, HWND parent, DWORD style, DWORD exStyle,
               const char* text) {
  const Rect& b = control.BoundsRect();
  return CreateWindowUtf8(exStyle, windowClass, text ? text : control.Caption(),
                          ChildStyle(control) | style, b.left, b.top, b.Width(), b.Height(), parent,
                          ModuleInstance());
}

void DrawFrame(HDC dc, RECT& r, TColor topLeft, TColor bottomRight, int width) {
  UniquePen light(CreatePen(PS_SOLID, 1, ToColorRef(topLeft)));
  UniquePen dark(CreatePen(PS_SOLID, 1, ToColorRef(bottomRight)));
  for (int i = 0; i < width; ++i) {
    {
      SelectedObject pen(dc, light.Get());
      MoveToEx(dc, r.left, r.bottom - 1, nullptr);
      LineTo(dc, r.left, r.top);
      LineTo(dc, r.right - 1, r.top);
    }
    SelectedObject pen(dc, dark.Get());
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left - 1, r.bottom - 1);
    InflateRect(&r, -1, -1);
  }
}

}  // namespace toolkit::win32
