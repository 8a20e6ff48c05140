#include "ui/NetGradient.h"

namespace ui {

using namespace toolkit;

TNetGradient::TNetGradient(Control* parent, std::string name)
    : GraphicControl(parent, std::move(name)) {
  font_.style |= fsBold;
  SetBounds(Left(), Top(), 400, 25);
}

void TNetGradient::DrawAtOnce() {
  if (std::unique_ptr<Canvas> canvas = GetControlCanvas(*this)) DrawGradient(*canvas);
}

void TNetGradient::SetFillDirection(TFillDirection direction) {
  if (direction == fillDirection_) return;
  fillDirection_ = direction;
  DrawAtOnce();
  Invalidate();
}

// The two colours draw even when unchanged: re-assigning a colour is how a caller forces a redraw.
void TNetGradient::SetBeginColor(TColor color) {
  beginColor_ = color;
  DrawAtOnce();
  Invalidate();
}

void TNetGradient::SetEndColor(TColor color) {
  endColor_ = color;
  DrawAtOnce();
  Invalidate();
}

void TNetGradient::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  Invalidate();
}

void TNetGradient::SetNumberOfColors(TNumberOfColors count) {
  if (count == 0) return;
  numberOfColors_ = count;
  Invalidate();
}

void TNetGradient::SetFont(const toolkit::Font& font) {
  if (&font == &font_) return;
  font_ = font;
  DrawAtOnce();
}

void TNetGradient::SetCaption(const std::string& caption) {
  caption_ = caption;
  DrawAtOnce();
}

void TNetGradient::SetTextTop(int top) {
  textTop_ = top;
  DrawAtOnce();
}

void TNetGradient::SetTextLeft(int left) {
  textLeft_ = left;
  DrawAtOnce();
}

void TNetGradient::DrawGradient(Canvas& canvas) {
  const int w = Width();
  const int h = Height();
  const int n = numberOfColors_;
  // The bands cover the bitmap from edge to edge, so it need not be cleared first; with no band
  // at all it is copied as created, white.
  std::unique_ptr<Bitmap> bands =
      n > 0 ? canvas.CreateScratchBitmap(w, h) : canvas.CreateBitmap(w, h);
  Canvas& target = bands->GetCanvas();

  // Band 0 is always at the left or top; the reversed directions swap the colours instead.
  const bool reversed = fillDirection_ == fdRightToLeft || fillDirection_ == fdBottomToTop;
  const TColor start = canvas.ColorToRGB(reversed ? endColor_ : beginColor_);
  const TColor end = canvas.ColorToRGB(reversed ? beginColor_ : endColor_);
  const int startR = RedOf(start), startG = GreenOf(start), startB = BlueOf(start);
  const int deltaR = RedOf(end) - startR, deltaG = GreenOf(end) - startG,
            deltaB = BlueOf(end) - startB;
  const bool horizontal = fillDirection_ == fdLeftToRight || fillDirection_ == fdRightToLeft;

  target.SetBrushStyle(bsSolid);
  for (int i = 0; i < n; ++i) {
    const Rect band = horizontal ? Rect{MulDiv(i, w, n), 0, MulDiv(i + 1, w, n), h}
                                 : Rect{0, MulDiv(i, h, n), w, MulDiv(i + 1, h, n)};
    if (n == 1) {
      target.SetBrushColor(start);
    } else {
      target.SetBrushColor(Rgb(startR + MulDiv(i, deltaR, n - 1), startG + MulDiv(i, deltaG, n - 1),
                               startB + MulDiv(i, deltaB, n - 1)));
    }
    target.FillRect(band);
  }
  canvas.CopyRect(ClientRect(), target, ClientRect());

  canvas.SetBrushStyle(bsClear);
  canvas.SetFont(font_);
  canvas.TextOut(textLeft_, textTop_, caption_);
}

}  // namespace ui
