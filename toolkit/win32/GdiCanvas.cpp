#include "toolkit/win32/GdiCanvas.h"

#include <vector>

#include "toolkit/Errors.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit::win32 {

static_assert(tfCenter == DT_CENTER && tfRight == DT_RIGHT && tfWordBreak == DT_WORDBREAK &&
              tfSingleLine == DT_SINGLELINE && tfExpandTabs == DT_EXPANDTABS &&
              tfNoClip == DT_NOCLIP && tfNoPrefix == DT_NOPREFIX);

namespace {

RECT ToRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

UniqueFont MakeFont(const Font& font) {
  LOGFONTA lf{};
  lf.lfHeight = -font.height;
  lf.lfEscapement = font.escapement;
  lf.lfWeight = font.Bold() ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (font.style & fsItalic) != 0;
  lf.lfUnderline = (font.style & fsUnderline) != 0;
  lf.lfStrikeOut = (font.style & fsStrikeOut) != 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  // Only outline fonts turn; a bitmap font would be written unturned.
  lf.lfOutPrecision = font.escapement != 0 ? OUT_TT_ONLY_PRECIS : OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  return UniqueFont(CreateFontUtf8(lf, font.name));
}

bool SameShape(const Font& a, const Font& b) {
  return a.name == b.name && a.height == b.height && a.style == b.style &&
         a.escapement == b.escapement;
}

}  // namespace

TColor GdiCanvas::ColorToRGB(TColor color) const {
  if (color & kSystemColorFlag) return GetSysColor(int(color & 0xFF));
  return color;
}

void GdiCanvas::UseFont() {
  if (font_ && SameShape(made_, GetFont())) return;
  UniqueFont fresh = MakeFont(GetFont());
  fontSelection_.reset();
  fontSelection_.emplace(dc_, fresh.Get());
  font_ = std::move(fresh);
  made_ = GetFont();
}

void GdiCanvas::PrepareText() {
  UseFont();
  SetTextColor(dc_, ColorToRGB(GetFont().color));
  if (BrushStyle() == bsSolid) {
    SetBkColor(dc_, ColorToRGB(BrushColor()));
    SetBkMode(dc_, OPAQUE);
  } else {
    SetBkMode(dc_, TRANSPARENT);
  }
}

void GdiCanvas::FillRect(const Rect& area) {
  if (BrushStyle() == bsClear) return;
  SetDCBrushColor(dc_, ColorToRGB(BrushColor()));
  RECT r = ToRect(area);
  ::FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void GdiCanvas::Polygon(std::span<const Point> corners) {
  if (BrushStyle() == bsClear || corners.empty()) return;
  std::vector<POINT> points;
  for (Point p : corners) points.push_back(POINT{p.x, p.y});
  const COLORREF colour = ColorToRGB(BrushColor());
  SelectedObject brush(dc_, GetStockObject(DC_BRUSH));
  SelectedObject pen(dc_, GetStockObject(DC_PEN));
  SetDCBrushColor(dc_, colour);
  SetDCPenColor(dc_, colour);
  ::Polygon(dc_, points.data(), int(points.size()));
}

void GdiCanvas::DrawText(std::string_view text, const Rect& area, unsigned format) {
  PrepareText();
  RECT r = ToRect(area);
  DrawTextUtf8(dc_, text, &r, format);
}

void GdiCanvas::TextOut(int x, int y, std::string_view text) {
  PrepareText();
  TextOutUtf8(dc_, x, y, text);
}

int GdiCanvas::TextWidth(std::string_view text) {
  UseFont();
  return TextExtentUtf8(dc_, text).cx;
}

int GdiCanvas::TextHeight(std::string_view) {
  UseFont();
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc_, &metrics);
  return metrics.tmHeight;
}

void GdiCanvas::CopyRect(const Rect& to, Canvas& source, const Rect& from) {
  // The Win32 backend makes no canvas but this one.
  auto* gdi = static_cast<GdiCanvas*>(&source);
  if (to.Width() == from.Width() && to.Height() == from.Height()) {
    BitBlt(dc_, to.left, to.top, to.Width(), to.Height(), gdi->dc_, from.left, from.top, SRCCOPY);
  } else {
    SetStretchBltMode(dc_, COLORONCOLOR);
    StretchBlt(dc_, to.left, to.top, to.Width(), to.Height(), gdi->dc_, from.left, from.top,
               from.Width(), from.Height(), SRCCOPY);
  }
}

TColor GdiCanvas::Pixel(int x, int y) { return GetPixel(dc_, x, y); }

void GdiCanvas::SetPixel(int x, int y, TColor color) { SetPixelV(dc_, x, y, ColorToRGB(color)); }

void GdiCanvas::EditRows(const Rect& area, const RowEdit& edit) {
  if (area.Width() <= 0 || area.Height() <= 0) return;
  // A device's pixels are reached through a DIB section: one copy in, one copy back.
  DibBitmap scratch(area.Width(), area.Height(), DibBitmap::kUndefined);
  BitBlt(scratch.Handle(), 0, 0, area.Width(), area.Height(), dc_, area.left, area.top, SRCCOPY);
  auto pixels = scratch.Pixels();
  for (int y = 0; y < area.Height(); ++y) {
    edit(area.left, area.top + y,
         pixels.subspan(std::size_t(y) * std::size_t(area.Width()), std::size_t(area.Width())));
  }
  BitBlt(dc_, area.left, area.top, area.Width(), area.Height(), scratch.Handle(), 0, 0, SRCCOPY);
}

std::unique_ptr<Bitmap> GdiCanvas::CreateBitmap(int width, int height) {
  return std::make_unique<DibBitmap>(width, height);
}

std::unique_ptr<Bitmap> GdiCanvas::CreateScratchBitmap(int width, int height) {
  return std::make_unique<DibBitmap>(width, height, DibBitmap::kUndefined);
}

DibBitmap::DibBitmap(int width, int height, Content content)
    : width_(width < 1 ? 1 : width),
      height_(height < 1 ? 1 : height),
      dc_(CreateCompatibleDC(nullptr)),
      canvas_(dc_.Get()) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || !dc_) throw Exception("Cannot create an off-screen bitmap");
  bits_ = static_cast<Pixel32*>(bits);
  selection_.emplace(dc_.Get(), bitmap_.Get());
  if (content == kWhite)
    std::fill_n(bits_, std::size_t(width_) * std::size_t(height_), Pixel32(0x00FFFFFF));
}

std::span<Pixel32> DibBitmap::Pixels() {
  // GDI may still be drawing into the section in the background.
  GdiFlush();
  return {bits_, std::size_t(width_) * std::size_t(height_)};
}

}  // namespace toolkit::win32
