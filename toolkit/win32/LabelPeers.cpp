// Labels and pictures: window classes of our own that paint all of themselves through their peer.
// They share a file because a transparent label paints the pictures that lie behind it.
#include <algorithm>
#include <cstdint>
#include <string>

#include "toolkit/RunLength.h"
#include "toolkit/win32/PeerFamilies.h"
#include "toolkit/win32/SystemText.h"
#include "toolkit/win32/UpdatePacer.h"

namespace toolkit::win32 {
namespace {

// Draws the pictures of the image siblings created before `control` that lie under it, so that a
// transparent label shows the picture behind its letters as a windowless label would.
void PaintImagesBehind(const Control& control, HDC dc);

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
    DrawTextUtf8(dc, label_.Caption(), &r, format);
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
    DrawTextUtf8(dc, text, &r, DT_CALCRECT | DT_EXPANDTABS);
    const SIZE size{label_.Caption().empty() ? 0 : r.right, r.bottom};
    if (!always && size.cx == size_.cx && size.cy == size_.cy) return false;
    size_ = size;
    SetWindowPos(Window(), nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }

  void ShowCaption() {
    SetWindowTextUtf8(Window(), label_.Caption());
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
    HRSRC found = FindResourceA(ModuleInstance(), image_.Picture().c_str(), MAKEINTRESOURCEA(10));
    HGLOBAL loaded = found ? LoadResource(ModuleInstance(), found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr) return;
    auto picture = DecodePackedPicture(static_cast<const std::uint8_t*>(data),
                                       SizeofResource(ModuleInstance(), found));
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
    // An image's peer is always an ImagePeer: the peer is made by the control's kind.
    auto* peer =
        sibling->Kind() == ControlKind::kImage ? static_cast<ImagePeer*>(sibling->Peer()) : nullptr;
    if (peer == nullptr || !sibling->Visible()) continue;
    peer->PaintPicture(dc, sibling->Left() - control.Left(), sibling->Top() - control.Top());
  }
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
  return DefaultProc(window, message, wParam, lParam);
}

}  // namespace

// A label's window text may be up to one pacer interval behind its caption, so the label answers
// for its text from the control.
LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* peer = static_cast<LabelPeer*>(WindowPeer::FromWindow(window));
  if (peer != nullptr) {
    switch (message) {
      case WM_GETTEXTLENGTH:
      case WM_GETTEXT:
        return AnswerGetText(peer->Caption(), message, wParam, lParam);
      default:
        break;
    }
  }
  return SelfPaintedProc<LabelPeer>(window, message, wParam, lParam);
}

std::unique_ptr<WindowPeer> MakeLabelPeer(Label& label, HWND parent) {
  return std::make_unique<LabelPeer>(label, parent);
}

std::unique_ptr<WindowPeer> MakeImagePeer(Image& image, HWND parent) {
  return std::make_unique<ImagePeer>(image, parent);
}

LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SelfPaintedProc<ImagePeer>(window, message, wParam, lParam);
}

}  // namespace toolkit::win32
