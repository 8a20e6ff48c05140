#include "toolkit/win32/Peers.h"

#include <commctrl.h>
#include <richedit.h>
#include <uxtheme.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/RunLength.h"
#include "toolkit/win32/GraphicHost.h"
#include "toolkit/win32/UpdatePacer.h"

namespace toolkit::win32 {
namespace {

constexpr const char* kFormClass = "TForm";
constexpr const char* kPanelClass = "TPanel";
constexpr const char* kLabelClass = "TLabel";
constexpr const char* kSpeedButtonClass = "TSpeedButton";
constexpr const char* kImageClass = "TImage";
constexpr UINT kMsgActivated = WM_APP + 1;
constexpr int kBrowseButtonWidth = 21;
constexpr const char* kNameProperty = "ControlName";

HINSTANCE gInstance = nullptr;

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(std::size_t(length) + 1, '\0');
  GetWindowTextA(window, text.data(), length + 1);
  text.resize(std::size_t(length));
  return text;
}

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
  lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
  return UniqueFont(CreateFontIndirectA(&lf));
}

// A 3-D frame `width` pixels deep, light on the top and left, dark on the bottom and right; `r`
// shrinks to what lies inside it.
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

// Forms and panels: they paint their colour (and bevel), host graphic controls, and pass the
// notifications and colour requests of their child windows on to the children's peers.
LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SpeedButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class FormPeer : public WindowPeer {
 public:
  FormPeer(Form& form, HWND owner) : WindowPeer(form), form_(form) {
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
    Adopt(CreateWindowExA(exStyle, kFormClass, form.Caption().c_str(), style, left, top, width,
                          height, owner, nullptr, gInstance, nullptr));
    tooltip_.Reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(), nullptr,
                                   gInstance, nullptr));
  }

  void Changed(Property what) override {
    // The form's size is the window's business once it exists; its visibility is shown and
    // hidden by the backend.
    if (what == Property::kBounds || what == Property::kVisible) return;
    WindowPeer::Changed(what);
  }

  HWND Tooltip() const { return tooltip_.Get(); }
  Form& TheForm() const { return form_; }

 private:
  Form& form_;
  UniqueWindow tooltip_;
};

void AddHint(Control& control, HWND window) {
  Form* form = control.ParentForm();
  if (form == nullptr || form->Peer() == nullptr) return;
  HWND tooltip = static_cast<FormPeer*>(form->Peer())->Tooltip();
  TOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(window);
  info.uId = reinterpret_cast<UINT_PTR>(window);
  std::string hint = control.Hint();
  info.lpszText = hint.data();
  SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  if (control.ShowHint() && !hint.empty()) {
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }
}

DWORD ChildStyle(const Control& control) {
  return WS_CHILD | WS_CLIPSIBLINGS | (control.Visible() ? WS_VISIBLE : 0) |
         (control.Enabled() ? 0 : WS_DISABLED);
}

HWND MakeChild(const char* windowClass, Control& control, HWND parent, DWORD style,
               DWORD exStyle = 0, const char* text = nullptr) {
  const Rect& b = control.BoundsRect();
  return CreateWindowExA(exStyle, windowClass, text ? text : control.Caption().c_str(),
                         ChildStyle(control) | style, b.left, b.top, b.Width(), b.Height(), parent,
                         nullptr, gInstance, nullptr);
}

// Draws the pictures of the image siblings created before `control` that lie under it, so that a
// transparent label shows the picture behind its letters as a windowless label would.
void PaintImagesBehind(const Control& control, HDC dc);

class PanelPeer : public WindowPeer {
 public:
  PanelPeer(Control& control, HWND parent) : WindowPeer(control) {
    Adopt(MakeChild(kPanelClass, control, parent, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, ""));
  }
};

// The timer of a peer's UpdatePacer.
template <typename Peer>
void CALLBACK PacerTimer(HWND window, UINT, UINT_PTR, DWORD) {
  if (auto* peer = static_cast<Peer*>(WindowPeer::FromWindow(window))) peer->OnPacerTimer();
}

// A label's caption changes once per extracted file, and under Wine every window operation is a
// round trip to the server. So the label keeps its window in step at the pace of an UpdatePacer,
// answers WM_GETTEXT from its control (so the text is never behind for anyone who asks), measures
// on a memory DC, moves its window only when its size changes, and paints a new caption itself on
// its own DC (class style CS_OWNDC) instead of invalidating and waiting for WM_PAINT.
class LabelPeer : public WindowPeer {
 public:
  LabelPeer(Label& label, HWND parent) : WindowPeer(label), label_(label) {
    Adopt(MakeChild(kLabelClass, label, parent, 0));
    FitToText(true);
    AddHint(label, Window());
  }

  void Changed(Property what) override {
    if (what == Property::kCaption) {
      if (pacer_.UpdateNow(Window(), PacerTimer<LabelPeer>)) ShowCaption();
      return;
    }
    WindowPeer::Changed(what);
    if (what == Property::kFont || what == Property::kBounds) FitToText(true);
    if (what == Property::kHint) AddHint(label_, Window());
    InvalidateRect(Window(), nullptr, TRUE);
  }

  void OnPacerTimer() {
    pacer_.TimerFired(Window());
    ShowCaption();
  }

  const std::string& Caption() const { return label_.Caption(); }

  void Paint(HDC dc) {
    RECT r;
    GetClientRect(Window(), &r);
    FillRect(dc, &r, BackgroundBrush());
    if (label_.Transparent()) PaintImagesBehind(label_, dc);
    SelectedObject font(dc, FontHandle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(label_.GetFont().color));
    UINT format = DT_EXPANDTABS | DT_NOCLIP;
    if (label_.Alignment() == taCenter) format |= DT_CENTER;
    if (label_.Alignment() == taRightJustify) format |= DT_RIGHT;
    if (!label_.AutoSize()) format |= DT_WORDBREAK;
    DrawTextA(dc, label_.Caption().c_str(), -1, &r, format);
  }

 private:
  // A label with automatic sizing is exactly as large as its text; `always` after the window
  // was moved or the font changed. True when the window's size was set.
  bool FitToText(bool always) {
    if (!label_.AutoSize()) return false;
    HDC dc = MeasuringDc();
    SelectedObject font(dc, FontHandle());
    RECT r{0, 0, 0, 0};
    std::string text = label_.Caption().empty() ? std::string(" ") : label_.Caption();
    DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_EXPANDTABS);
    const SIZE size{label_.Caption().empty() ? 0 : r.right, r.bottom};
    if (!always && size.cx == size_.cx && size.cy == size_.cy) return false;
    size_ = size;
    SetWindowPos(Window(), nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }

  void ShowCaption() {
    SetWindowTextA(Window(), label_.Caption().c_str());
    // The whole label is painted at once, so whatever a change of size left to repaint in it is
    // done; what the move uncovered of the parent is the parent's to repaint.
    const bool resized = FitToText(false);
    PaintNow();
    if (resized) ValidateRect(Window(), nullptr);
  }

  void PaintNow() {
    if (!IsWindowVisible(Window())) return;
    WindowDc dc(Window());
    Paint(dc.Get());
  }

  // Text is measured on a memory DC of the screen's format, which costs no window-system call.
  static HDC MeasuringDc() {
    static UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    return dc.Get();
  }

  Label& label_;
  SIZE size_{};  // as last set by FitToText
  UpdatePacer pacer_;
};

class RadioPeer : public WindowPeer {
 public:
  RadioPeer(RadioButton& radio, HWND parent, bool firstOfGroup) : WindowPeer(radio), radio_(radio) {
    Adopt(MakeChild("BUTTON", radio, parent,
                    BS_RADIOBUTTON | WS_TABSTOP | (firstOfGroup ? WS_GROUP : 0)));
    ApplyFont();
    SendMessageA(Window(), BM_SETCHECK, radio.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }

  void Changed(Property what) override {
    if (what == Property::kChecked) {
      SendMessageA(Window(), BM_SETCHECK, radio_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
      return;
    }
    WindowPeer::Changed(what);
  }

  void OnCommand(HWND, int code) override {
    if (code == BN_CLICKED) radio_.Click();
  }

 private:
  RadioButton& radio_;
};

class EditPeer : public WindowPeer {
 public:
  EditPeer(Edit& edit, HWND parent, int widthLess = 0) : WindowPeer(edit), edit_(edit) {
    const Rect& b = edit.BoundsRect();
    Adopt(CreateWindowExA(
        edit.Ctl3D() ? WS_EX_CLIENTEDGE : 0, "EDIT", edit.Text().c_str(),
        ChildStyle(edit) | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP | (edit.Ctl3D() ? 0 : WS_BORDER),
        b.left, b.top, b.Width() - widthLess, b.Height(), parent, nullptr, gInstance, nullptr));
    ApplyFont();
  }

  void Changed(Property what) override {
    if (what == Property::kCaption) {
      if (WindowText(Window()) != edit_.Text()) SetWindowTextA(Window(), edit_.Text().c_str());
      return;
    }
    WindowPeer::Changed(what);
  }

  void OnCommand(HWND, int code) override {
    if (code == EN_CHANGE) edit_.SetCaptionFromPeer(WindowText(Window()));
  }

 protected:
  Edit& edit_;
};

// The folder box: an edit with the browse button standing at its right end.
class DirectoryEditPeer : public EditPeer {
 public:
  DirectoryEditPeer(DirectoryEdit& edit, HWND parent)
      : EditPeer(edit, parent, kBrowseButtonWidth), directoryEdit_(edit) {
    const Rect& b = edit.BoundsRect();
    button_.Reset(CreateWindowExA(0, "BUTTON", "...", ChildStyle(edit) | BS_PUSHBUTTON,
                                  b.right - kBrowseButtonWidth, b.top, kBrowseButtonWidth,
                                  b.Height(), parent, nullptr, gInstance, nullptr));
    SetWindowLongPtrA(button_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SendMessageA(button_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
  }

  ~DirectoryEditPeer() override {
    if (button_) SetWindowLongPtrA(button_.Get(), GWLP_USERDATA, 0);
  }

  void Changed(Property what) override {
    const Rect& b = edit_.BoundsRect();
    switch (what) {
      case Property::kBounds:
        MoveWindow(Window(), b.left, b.top, b.Width() - kBrowseButtonWidth, b.Height(), TRUE);
        MoveWindow(button_.Get(), b.right - kBrowseButtonWidth, b.top, kBrowseButtonWidth,
                   b.Height(), TRUE);
        return;
      case Property::kVisible:
        ShowWindow(button_.Get(), edit_.Visible() ? SW_SHOWNA : SW_HIDE);
        break;
      case Property::kEnabled:
        EnableWindow(button_.Get(), edit_.Enabled());
        break;
      default:
        break;
    }
    EditPeer::Changed(what);
  }

  void OnCommand(HWND from, int code) override {
    if (from == button_.Get()) {
      if (code == BN_CLICKED) App().Dispatch([this] { directoryEdit_.Browse(); });
      return;
    }
    EditPeer::OnCommand(from, code);
  }

 private:
  DirectoryEdit& directoryEdit_;
  UniqueWindow button_;
};

class SpeedButtonPeer : public WindowPeer {
 public:
  SpeedButtonPeer(SpeedButton& button, HWND parent) : WindowPeer(button), button_(button) {
    Adopt(MakeChild(kSpeedButtonClass, button, parent, 0));
  }

  void Changed(Property what) override {
    WindowPeer::Changed(what);
    InvalidateRect(Window(), nullptr, TRUE);
  }

  void Paint(HDC dc) {
    RECT r;
    GetClientRect(Window(), &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    RECT frame = r;
    if (pressed_ && hot_) {
      DrawFrame(dc, frame, clBtnShadow, clBtnHighlight, 1);
    } else if (hot_ || !button_.Flat()) {
      DrawFrame(dc, frame, clBtnHighlight, clBtnShadow, 1);
    }
    SelectedObject font(dc, FontHandle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(
        dc, button_.Enabled() ? ToColorRef(button_.GetFont().color) : GetSysColor(COLOR_GRAYTEXT));
    if (pressed_ && hot_) OffsetRect(&r, 1, 1);
    DrawTextA(dc, button_.Caption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }

  LRESULT Mouse(UINT message, LPARAM lParam) {
    POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
    RECT r;
    GetClientRect(Window(), &r);
    bool inside = PtInRect(&r, p) != FALSE;
    switch (message) {
      case WM_LBUTTONDOWN:
        if (!button_.Enabled()) break;
        pressed_ = true;
        hot_ = true;
        SetCapture(Window());
        break;
      case WM_MOUSEMOVE:
        if (inside != hot_) {
          hot_ = inside;
          if (inside && !pressed_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Window(), 0};
            TrackMouseEvent(&track);
          }
        }
        break;
      case WM_MOUSELEAVE:
        if (!pressed_) hot_ = false;
        break;
      case WM_LBUTTONUP:
        if (pressed_) {
          pressed_ = false;
          ReleaseCapture();
          InvalidateRect(Window(), nullptr, TRUE);
          if (inside) button_.Click();
          return 0;
        }
        break;
      default:
        break;
    }
    InvalidateRect(Window(), nullptr, TRUE);
    return 0;
  }

 private:
  SpeedButton& button_;
  bool pressed_ = false;
  bool hot_ = false;
};

class ProgressPeer : public WindowPeer {
 public:
  ProgressPeer(ProgressBar& bar, HWND parent) : WindowPeer(bar), bar_(bar) {
    Adopt(MakeChild(PROGRESS_CLASSA, bar, parent, 0, 0, ""));
    // The themed bar stretches the theme's pictures with halftone filtering at every paint, about
    // a millisecond under Wine; the classic bar fills a few rectangles. A blank, not an empty
    // string, is the "no theme" both Windows and Wine keep.
    SetWindowTheme(Window(), L" ", L" ");
    systemProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BarProc)));
    Mirror();
  }

  void Changed(Property what) override {
    if (what == Property::kProgress) {
      if (pacer_.UpdateNow(Window(), PacerTimer<ProgressPeer>)) Mirror();
      return;
    }
    WindowPeer::Changed(what);
  }

  void OnPacerTimer() {
    pacer_.TimerFired(Window());
    Mirror();
  }

 private:
  // Each setter reports the whole state; only what differs from the control's is sent. The
  // extraction sets every value once per file and steps the bar every 32768 bytes, and each
  // message sent repaints the bar: the pacer keeps the bar at most one interval behind instead.
  void Mirror() {
    if (!mirrored_ || bar_.Min() != min_ || bar_.Max() != max_) {
      SendMessageA(Window(), PBM_SETRANGE32, WPARAM(bar_.Min()), LPARAM(bar_.Max()));
      min_ = bar_.Min();
      max_ = bar_.Max();
      // The system's bar keeps its position within the new range by itself; asked of it, not of
      // the window, which answers from the control.
      position_ = int(CallWindowProcA(systemProc_, Window(), PBM_GETPOS, 0, 0));
    }
    if (!mirrored_ || bar_.Step() != step_) {
      SendMessageA(Window(), PBM_SETSTEP, WPARAM(bar_.Step()), 0);
      step_ = bar_.Step();
    }
    if (!mirrored_ || bar_.Position() != position_) {
      SendMessageA(Window(), PBM_SETPOS, WPARAM(bar_.Position()), 0);
      position_ = bar_.Position();
    }
    mirrored_ = true;
  }

  // The bar may be one pacer interval behind its control, so it answers for its range and
  // position from the control; everything else goes to the system's progress bar.
  static LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* peer = static_cast<ProgressPeer*>(WindowPeer::FromWindow(window));
    if (peer != nullptr) {
      const ProgressBar& bar = peer->bar_;
      switch (message) {
        case PBM_GETPOS:
          return bar.Position();
        case PBM_GETRANGE:
          if (lParam != 0) *reinterpret_cast<PBRANGE*>(lParam) = PBRANGE{bar.Min(), bar.Max()};
          return wParam ? bar.Min() : bar.Max();
        default:
          break;
      }
    }
    return CallWindowProcA(systemProc_, window, message, wParam, lParam);
  }

  // The progress bar class's own window procedure, the same for every bar.
  static inline WNDPROC systemProc_ = nullptr;

  ProgressBar& bar_;
  UpdatePacer pacer_;
  // The values last sent to the control.
  bool mirrored_ = false;
  int min_ = 0;
  int max_ = 0;
  int step_ = 0;
  int position_ = 0;
};

class ImagePeer : public WindowPeer {
 public:
  ImagePeer(Image& image, HWND parent) : WindowPeer(image), image_(image) {
    Adopt(MakeChild(kImageClass, image, parent, 0, 0, ""));
    Load();
  }

  void Changed(Property what) override {
    if (what == Property::kPicture) Load();
    WindowPeer::Changed(what);
    InvalidateRect(Window(), nullptr, TRUE);
  }

  void Paint(HDC dc) {
    RECT r;
    GetClientRect(Window(), &r);
    FillRect(dc, &r, BackgroundBrush());
    PaintPicture(dc, 0, 0);
  }

  // Draws the picture unscaled with its top-left corner at (x, y) of `dc`.
  void PaintPicture(HDC dc, int x, int y) {
    if (!bitmap_) return;
    BITMAP info{};
    GetObjectA(bitmap_.Get(), sizeof info, &info);
    UniqueMemoryDc memory(CreateCompatibleDC(dc));
    SelectedObject picture(memory.Get(), bitmap_.Get());
    int width = std::min<int>(info.bmWidth, image_.Width());
    int height = std::min<int>(info.bmHeight, image_.Height());
    BitBlt(dc, x, y, width, height, memory.Get(), 0, 0, SRCCOPY);
  }

 private:
  // The picture comes packed from the program's resources and becomes a 24-bit DIB section.
  void Load() {
    bitmap_.Reset();
    if (image_.Picture().empty()) return;
    HRSRC found = FindResourceA(gInstance, image_.Picture().c_str(), MAKEINTRESOURCEA(10));
    HGLOBAL loaded = found ? LoadResource(gInstance, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr) return;
    auto picture =
        DecodeRunLength(static_cast<const std::uint8_t*>(data), SizeofResource(gInstance, found));
    if (!picture) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture->width;
    info.bmiHeader.biHeight = -picture->height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_) return;
    const std::size_t row = std::size_t(picture->width) * 3;
    const std::size_t stride = (row + 3) & ~std::size_t(3);
    for (int y = 0; y < picture->height; ++y) {
      std::copy_n(picture->bgr.data() + y * row, row,
                  static_cast<std::uint8_t*>(bits) + y * stride);
    }
  }

  Image& image_;
  UniqueBitmap bitmap_;
};

void PaintImagesBehind(const Control& control, HDC dc) {
  for (const Control* sibling : control.Parent()->Children()) {
    if (sibling == &control) break;
    auto* peer = dynamic_cast<ImagePeer*>(sibling->Peer());
    if (peer == nullptr || !sibling->Visible()) continue;
    peer->PaintPicture(dc, sibling->Left() - control.Left(), sibling->Top() - control.Top());
  }
}

DWORD CALLBACK StreamFromString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* source = reinterpret_cast<std::pair<const std::string*, std::size_t>*>(cookie);
  std::size_t left = source->first->size() - source->second;
  std::size_t n = std::min<std::size_t>(left, std::size_t(size));
  std::copy_n(source->first->data() + source->second, n, buffer);
  source->second += n;
  *done = LONG(n);
  return 0;
}

class RichEditPeer : public WindowPeer {
 public:
  RichEditPeer(RichEdit& edit, HWND parent) : WindowPeer(edit), edit_(edit) {
    static UniqueModule library(LoadLibraryA("riched20.dll"));
    Adopt(MakeChild(RICHEDIT_CLASSA, edit, parent,
                    WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                        ES_AUTOHSCROLL | ES_NOHIDESEL,
                    WS_EX_CLIENTEDGE, ""));
    ApplyFont();
  }

  void Changed(Property what) override {
    if (what == Property::kContent) {
      std::pair<const std::string*, std::size_t> source{&edit_.Content(), 0};
      EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, StreamFromString};
      SendMessageA(Window(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
      return;
    }
    WindowPeer::Changed(what);
  }

 private:
  RichEdit& edit_;
};

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPeer* peer = WindowPeer::FromWindow(window);
  if (peer == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  Control& control = peer->Owner();
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintScope paint(window);
      RECT r;
      GetClientRect(window, &r);
      FillRect(paint.Dc(), &r, peer->BackgroundBrush());
      if (auto* panel = dynamic_cast<Panel*>(&control)) {
        if (panel->BevelOuter() != bvNone) {
          bool raised = panel->BevelOuter() == bvRaised;
          DrawFrame(paint.Dc(), r, raised ? clBtnHighlight : clBtnShadow,
                    raised ? clBtnShadow : clBtnHighlight, panel->BevelWidth());
        }
      }
      PaintGraphicChildren(control, paint.Dc(), paint.Dirty());
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
      if (RouteMouseToGraphic(control, window, message, wParam, lParam)) return 0;
      break;
    case WM_SIZE:
      if (auto* form = dynamic_cast<Form*>(&control)) {
        form->DoResize(LOWORD(lParam), HIWORD(lParam));
      }
      break;
    case WM_ACTIVATE:
      // The activation handler may show a modal dialog: it runs from the queue, not from inside
      // the activation message.
      if (LOWORD(wParam) != WA_INACTIVE) PostMessageA(window, kMsgActivated, 0, 0);
      break;
    case kMsgActivated:
      if (auto* form = dynamic_cast<Form*>(&control)) {
        if (!App().Terminated() && IsWindowVisible(window)) form->DoActivate();
      }
      return 0;
    case WM_CLOSE:
      if (auto* form = dynamic_cast<Form*>(&control)) App().Dispatch([form] { form->Close(); });
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Windows of our own classes that paint all of themselves through their peer.
template <typename Peer>
LRESULT CALLBACK SelfPaintedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* peer = static_cast<Peer*>(WindowPeer::FromWindow(window));
  if (peer != nullptr && message == WM_PAINT) {
    PaintScope paint(window);
    peer->Paint(paint.Dc());
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(window, message, wParam, lParam);
}

// A label's window text may be up to one pacer interval behind its caption, so the label answers
// for its text from the control.
LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* peer = static_cast<LabelPeer*>(WindowPeer::FromWindow(window));
  if (peer != nullptr) {
    switch (message) {
      case WM_GETTEXTLENGTH:
        return LRESULT(peer->Caption().size());
      case WM_GETTEXT: {
        if (wParam == 0) return 0;
        const std::size_t copied =
            peer->Caption().copy(reinterpret_cast<char*>(lParam), wParam - 1);
        reinterpret_cast<char*>(lParam)[copied] = '\0';
        return LRESULT(copied);
      }
      default:
        break;
    }
  }
  return SelfPaintedProc<LabelPeer>(window, message, wParam, lParam);
}

LRESULT CALLBACK SpeedButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* peer = static_cast<SpeedButtonPeer*>(WindowPeer::FromWindow(window));
  if (peer != nullptr) {
    switch (message) {
      case WM_PAINT: {
        PaintScope paint(window);
        peer->Paint(paint.Dc());
        return 0;
      }
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_MOUSEMOVE:
      case WM_MOUSELEAVE:
        return peer->Mouse(message, lParam);
      default:
        break;
    }
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(window, message, wParam, lParam);
}

bool IsFirstRadioOfParent(const Control& control) {
  for (const Control* sibling : control.Parent()->Children()) {
    if (dynamic_cast<const RadioButton*>(sibling) != nullptr) return sibling == &control;
  }
  return false;
}

}  // namespace

COLORREF ToColorRef(TColor color) {
  if (color & kSystemColorFlag) return GetSysColor(int(color & 0xFF));
  return COLORREF(color & 0x00FFFFFF);
}

WindowPeer::~WindowPeer() {
  if (!window_) return;
  SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
  auto atom = ATOM(reinterpret_cast<ULONG_PTR>(RemovePropA(window_.Get(), kNameProperty)));
  if (atom != 0) GlobalDeleteAtom(atom);
}

WindowPeer* WindowPeer::FromWindow(HWND window) {
  if (window == nullptr) return nullptr;
  return reinterpret_cast<WindowPeer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void WindowPeer::Adopt(HWND window) {
  window_.Reset(window);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
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
      SetWindowTextA(window, control_.Caption().c_str());
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

void RegisterWindowClasses(HINSTANCE instance) {
  gInstance = instance;
  struct Entry {
    const char* name;
    WNDPROC proc;
    UINT style = 0;
  };
  const Entry classes[] = {{kFormClass, ContainerProc},
                           {kPanelClass, ContainerProc},
                           {kLabelClass, LabelProc, CS_OWNDC},
                           {kSpeedButtonClass, SpeedButtonProc},
                           {kImageClass, SelfPaintedProc<ImagePeer>}};
  for (const Entry& entry : classes) {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS | entry.style;
    wc.lpfnWndProc = entry.proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.lpszClassName = entry.name;
    RegisterClassA(&wc);
  }
}

std::unique_ptr<WindowPeer> CreatePeer(Control& control, HWND parent, HWND owner) {
  if (auto* form = dynamic_cast<Form*>(&control)) return std::make_unique<FormPeer>(*form, owner);
  if (auto* edit = dynamic_cast<DirectoryEdit*>(&control)) {
    return std::make_unique<DirectoryEditPeer>(*edit, parent);
  }
  if (auto* edit = dynamic_cast<Edit*>(&control)) return std::make_unique<EditPeer>(*edit, parent);
  if (auto* label = dynamic_cast<Label*>(&control)) {
    return std::make_unique<LabelPeer>(*label, parent);
  }
  if (auto* radio = dynamic_cast<RadioButton*>(&control)) {
    return std::make_unique<RadioPeer>(*radio, parent, IsFirstRadioOfParent(control));
  }
  if (auto* button = dynamic_cast<SpeedButton*>(&control)) {
    return std::make_unique<SpeedButtonPeer>(*button, parent);
  }
  if (auto* bar = dynamic_cast<ProgressBar*>(&control)) {
    return std::make_unique<ProgressPeer>(*bar, parent);
  }
  if (auto* image = dynamic_cast<Image*>(&control)) {
    return std::make_unique<ImagePeer>(*image, parent);
  }
  if (auto* rich = dynamic_cast<RichEdit*>(&control)) {
    return std::make_unique<RichEditPeer>(*rich, parent);
  }
  return std::make_unique<PanelPeer>(control, parent);
}

}  // namespace toolkit::win32
