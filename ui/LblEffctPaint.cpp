// TLabelEffect's paint: effect extent and shift, placement of the caption's copies (flat, turned
// or upright letters), background, shadow and highlight layers with their translucent pixel
// passes, and the face with its optional gradient. The pixel passes read masks in memory and
// rewrite the label's surface a row at a time, not one device call per pixel.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "toolkit/Utf8.h"
#include "ui/LblEffct.h"

namespace ui {

using namespace toolkit;

namespace {

// To the nearest integer, a half going to the even neighbour.
int Nearest(double x) { return int(std::nearbyint(x)); }
int Trunc(double x) { return int(std::trunc(x)); }

struct Channels {
  int r;
  int g;
  int b;
};
// The three low bytes: a system colour value is taken as it is, not resolved.
Channels LowBytes(TColor c) { return {RedOf(c), GreenOf(c), BlueOf(c)}; }

enum class Placement { kFlat, kTurned, kUpright };

class Painter {
 public:
  Painter(const TLabelEffect& label, Canvas& canvas,
          std::vector<std::unique_ptr<Bitmap>>& spareBitmaps)
      : label_(label),
        canvas_(canvas),
        spares_(spareBitmaps),
        w_(label.Width()),
        h_(label.Height()) {}

  void Run();

 private:
  // A white bitmap of the label's size, with its canvas as a new one's.
  std::unique_ptr<Bitmap> TakeBitmap();
  void MeasureExtent();
  void Place();
  void DrawCopy(Canvas& target, int ox, int oy);
  void Background();
  // `realTarget` takes the black copy of an eoReal layer.
  void Layer(TColor colour, TEffectOption style, int depth, DirectionOffset unit,
             Canvas& realTarget);
  // Darkens the label's pixels under black pixels of `shadowMask`, then lightens those under black
  // pixels of `highlightMask`; either may be absent. Leaves both masks white.
  void TranslucentPasses(Bitmap* shadowMask, Bitmap* highlightMask);
  void Face();
  void FaceGradient(TColor key);

  const TLabelEffect& label_;
  Canvas& canvas_;
  std::vector<std::unique_ptr<Bitmap>>& spares_;
  const int w_;
  const int h_;
  std::unique_ptr<Bitmap> bitmap_;
  std::unique_ptr<Bitmap> highlightMask_;  // when both layers are eoReal
  bool bitmapWhite_ = true;  // false once the face gradient has copied the surface into it

  DirectionOffset unitH_{};
  DirectionOffset unitS_{};
  int minOff_ = 0;
  int maxOff_ = 0;

  Placement placement_ = Placement::kFlat;
  std::string text_;
  int v_ = 0;  // flat: vertical offset from AlignmentY
  int t_ = 0;  // turned and upright: origin
  int u_ = 0;
  int centre_ = 0;   // turned: c
  int turnedW_ = 0;  // turned: W_t, H_t
  int turnedH_ = 0;
  int lineH_ = 0;                          // upright: H_c
  std::vector<Point> letterShift_;         // upright: (A_i, B_i)
  std::vector<std::size_t> letterStarts_;  // upright: where each letter starts in text_
  int lastL_ = 0;                          // upright: L_n
};

void Painter::MeasureExtent() {
  unitH_ = kDirectionOffsets[label_.DirectionHighlight()];
  unitS_ = kDirectionOffsets[label_.DirectionShadow()];
  const int dh = label_.DepthHighlight();
  const int ds = label_.DepthShadow();
  // x and y pooled: the shift is the same on both axes.
  const std::array<int, 5> offsets = {0, unitH_.dx * dh, unitS_.dx * ds, unitH_.dy * dh,
                                      unitS_.dy * ds};
  minOff_ = *std::min_element(offsets.begin(), offsets.end());
  maxOff_ = *std::max_element(offsets.begin(), offsets.end());
}

void Painter::Place() {
  const std::string& caption = label_.Caption();
  const auto& trig = label_.Trig();
  if (label_.Angle() == 0) {
    placement_ = Placement::kFlat;
    // The platform call took a buffer of 255 characters and its terminator.
    text_ = std::string(toolkit::FirstCharacters(caption, 255));
    const int textH = canvas_.TextHeight(caption);
    switch (label_.AlignmentY()) {
      case ayTop:
        v_ = 0;
        break;
      case ayCenter:
        v_ = (h_ - textH) / 2;
        break;
      case ayBottom:
        v_ = h_ - textH;
        break;
    }
    return;
  }
  text_ = caption;
  if (!label_.KeepLettersVertical()) {
    placement_ = Placement::kTurned;
    turnedW_ = canvas_.TextWidth(caption);
    turnedH_ = canvas_.TextHeight(caption);
    centre_ = canvas_.TextWidth(caption + "   ") / 2;
    t_ = centre_ - Trunc(turnedW_ / 2.0 * trig.cos) - Trunc(turnedH_ / 2.0 * trig.sin);
    u_ = centre_ + Trunc(turnedW_ / 2.0 * trig.sin) - Trunc(turnedH_ / 2.0 * trig.cos);
    return;
  }
  placement_ = Placement::kUpright;
  lineH_ = canvas_.TextHeight(caption);
  letterShift_.clear();
  letterStarts_ = toolkit::CharacterStarts(caption);
  int l = 0;
  for (std::size_t i = 0; i < letterStarts_.size(); ++i) {
    l = i == 0 ? 0
               : Nearest(canvas_.TextWidth(std::string_view(caption).substr(0, letterStarts_[i])) *
                             trig.cos2 +
                         double(lineH_) * double(i) * trig.sin2);
    letterShift_.push_back(Point{Nearest(l * trig.cos), Nearest(l * trig.sin)});
  }
  lastL_ = l;
  t_ = std::max(0, -Nearest(lastL_ * trig.cos)) + 10;
  u_ = std::max(0, Nearest(lastL_ * trig.sin)) + 10;
}

void Painter::DrawCopy(Canvas& target, int ox, int oy) {
  switch (placement_) {
    case Placement::kFlat: {
      const Rect area{-minOff_ + ox, -minOff_ + oy + v_, w_ - minOff_ + ox, h_ - minOff_ + oy};
      unsigned format = tfWordBreak | tfExpandTabs;
      if (label_.Alignment() == taRightJustify)
        format |= tfRight;
      else if (label_.Alignment() == taCenter)
        format |= tfCenter;
      target.DrawText(text_, area, format);
      break;
    }
    case Placement::kTurned:
      target.TextOut(t_ - minOff_ + ox, u_ - minOff_ + oy, text_);
      break;
    case Placement::kUpright:
      for (std::size_t i = 0; i < letterStarts_.size(); ++i) {
        const std::size_t end = i + 1 < letterStarts_.size() ? letterStarts_[i + 1] : text_.size();
        target.TextOut(t_ - minOff_ + letterShift_[i].x + ox, u_ - minOff_ - letterShift_[i].y + oy,
                       std::string_view(text_).substr(letterStarts_[i], end - letterStarts_[i]));
      }
      break;
  }
}

// The polygon behind turned text: four corners around (c2 + 2, c2 + 2), each product truncated
// by itself.
std::array<Point, 4> TurnedCorners(int centre, int minOff, int maxOff, int textW, int textH,
                                   double cos, double sin) {
  const int c2 = centre + (maxOff - minOff + 4) / 2;
  const double a = (textW + maxOff + minOff + 4) / 2.0;
  const double b = (textH + maxOff + minOff + 4) / 2.0;
  const int x = c2 + 2;
  const int y = c2 + 2;
  const int ac = Trunc(a * cos), as = Trunc(a * sin), bc = Trunc(b * cos), bs = Trunc(b * sin);
  return {Point{x - ac - bs, y + as - bc}, Point{x + ac - bs, y - as - bc},
          Point{x + ac + bs, y - as + bc}, Point{x - ac + bs, y + as + bc}};
}

struct UprightBoxes {
  Rect first;
  Rect last;
};

UprightBoxes BoxesOf(Canvas& canvas, const std::string& text, int t, int u, int lineH, int lastA,
                     int lastB, int e) {
  const std::vector<std::size_t> starts = toolkit::CharacterStarts(text);
  const int firstW =
      text.empty()
          ? 0
          : canvas.TextWidth(std::string_view(text).substr(0, toolkit::CharacterLength(text, 0)));
  const int lastW =
      text.empty() ? 0 : canvas.TextWidth(std::string_view(text).substr(starts.back()));
  return {Bounds(t - 2, u - 2, firstW + e, lineH + e),
          Bounds(t + lastA - 2, u - 2 - lastB, lastW + e, lineH + e)};
}

std::array<Point, 6> Hexagon(const UprightBoxes& b, int angle) {
  auto tl = [](const Rect& r) { return Point{r.left, r.top}; };
  auto tr = [](const Rect& r) { return Point{r.right, r.top}; };
  auto br = [](const Rect& r) { return Point{r.right, r.bottom}; };
  auto bl = [](const Rect& r) { return Point{r.left, r.bottom}; };
  const Rect& b1 = b.first;
  const Rect& b2 = b.last;
  if (angle <= 90) return {tl(b1), tl(b2), tr(b2), br(b2), br(b1), bl(b1)};
  if (angle <= 180) return {tr(b1), tr(b2), tl(b2), bl(b2), bl(b1), br(b1)};
  if (angle <= 270) return {tl(b1), tl(b2), bl(b2), br(b2), br(b1), tr(b1)};
  return {tr(b1), tr(b2), br(b2), bl(b2), bl(b1), tl(b1)};
}

void Painter::Background() {
  if (!label_.Transparent()) {
    canvas_.SetBrushStyle(bsSolid);
    canvas_.SetBrushColor(label_.Color());
    const auto& trig = label_.Trig();
    switch (placement_) {
      case Placement::kFlat:
        canvas_.FillRect(label_.ClientRect());
        break;
      case Placement::kTurned: {
        const auto corners =
            TurnedCorners(centre_, minOff_, maxOff_, turnedW_, turnedH_, trig.cos, trig.sin);
        canvas_.Polygon(corners);
        break;
      }
      case Placement::kUpright: {
        const int e = maxOff_ - minOff_ + 4;
        const auto boxes = BoxesOf(canvas_, text_, t_, u_, lineH_, Nearest(lastL_ * trig.cos),
                                   Nearest(lastL_ * trig.sin), e);
        canvas_.Polygon(Hexagon(boxes, label_.Angle()));
        break;
      }
    }
  }
  canvas_.SetBrushStyle(bsClear);
}

void Painter::Layer(TColor colour, TEffectOption style, int depth, DirectionOffset unit,
                    Canvas& realTarget) {
  const Channels base = style == eoReal ? Channels{0, 0, 0} : LowBytes(colour);
  double stepR = 0, stepG = 0, stepB = 0;
  if (style == eoGraduated && depth > 1) {
    const Channels face = LowBytes(label_.GetFont().color);
    stepR = double(face.r - base.r) / (depth - 1);
    stepG = double(face.g - base.g) / (depth - 1);
    stepB = double(face.b - base.b) / (depth - 1);
  }
  const int first = ((style == eoExtrude || style == eoGraduated) && depth > 1) ? 1 : depth;
  Canvas& target = style == eoReal ? realTarget : canvas_;
  for (int k = depth; k >= first; --k) {
    target.SetFontColor(Rgb(base.r + Nearest((depth - k) * stepR),
                            base.g + Nearest((depth - k) * stepG),
                            base.b + Nearest((depth - k) * stepB)));
    DrawCopy(target, unit.dx * k, unit.dy * k);
  }
}

constexpr Pixel32 kWhitePixel = 0x00FFFFFF;
constexpr Pixel32 kHalfMask = 0x007F7F7F;
constexpr Pixel32 kLowBits = 0x00010101;
// Pixels tested at once for a mask that is all white there, the common case around the text.
constexpr int kBlock = 64;

// Each channel halved.
constexpr Pixel32 Darker(Pixel32 p) { return (p >> 1) & kHalfMask; }
// Each channel c taken to (c + 255) / 2, that is c / 2 + 127 plus c's low bit: no channel carries
// into the next, so one pixel is one word.
constexpr Pixel32 Lighter(Pixel32 p) { return ((p >> 1) & kHalfMask) + kHalfMask + (p & kLowBits); }
constexpr bool IsBlack(Pixel32 p) { return (p & kPixelRgbMask) == 0; }

// Darkens `out` under black pixels of `shadow`, then lightens it under black pixels of
// `highlight`, and leaves both masks white. Branch-free, so that the compiler runs it over several
// pixels at a time; one instance per pair of masks, so that no test of a mask's presence is left in
// the loop.
template <bool kShadow, bool kHighlight>
void MaskedPass(Pixel32* __restrict out, Pixel32* __restrict shadow, Pixel32* __restrict highlight,
                int n) {
  for (int i = 0; i < n; ++i) {
    Pixel32 p = out[i];
    if constexpr (kShadow) {
      p = IsBlack(shadow[i]) ? Darker(p) : p;
      shadow[i] = kWhitePixel;
    }
    if constexpr (kHighlight) {
      p = IsBlack(highlight[i]) ? Lighter(p) : p;
      highlight[i] = kWhitePixel;
    }
    out[i] = p;
  }
}

// Whether the block is all white, and so holds no black pixel; a block holding anything else
// goes through the exact test. Branch-free, so that the compiler tests several pixels at once.
bool AllWhite(const Pixel32* mask, int n) {
  Pixel32 all = kWhitePixel;
  for (int i = 0; i < n; ++i) all &= mask[i];
  return (all & kWhitePixel) == kWhitePixel;
}

// The row in blocks: where the masks are all white nothing changes and nothing needs whitening.
template <bool kShadow, bool kHighlight>
void MaskedRow(Pixel32* out, Pixel32* shadow, Pixel32* highlight, int n) {
  for (int i = 0; i < n; i += kBlock) {
    const int count = std::min(kBlock, n - i);
    if ((!kShadow || AllWhite(shadow + i, count)) &&
        (!kHighlight || AllWhite(highlight + i, count)))
      continue;
    MaskedPass<kShadow, kHighlight>(out + i, kShadow ? shadow + i : nullptr,
                                    kHighlight ? highlight + i : nullptr, count);
  }
}

void Painter::TranslucentPasses(Bitmap* shadowMask, Bitmap* highlightMask) {
  Pixel32* shadow = shadowMask != nullptr ? shadowMask->Pixels().data() : nullptr;
  Pixel32* highlight = highlightMask != nullptr ? highlightMask->Pixels().data() : nullptr;
  // The masks are whitened as they are read, for the next paint; rows the surface does not show
  // are never handed over, and are whitened afterwards.
  Rect seen{0, 0, 0, 0};
  bool anyRow = false;
  canvas_.EditRows(label_.ClientRect(), [&](int x, int y, std::span<Pixel32> row) {
    const int n = int(row.size());
    if (!anyRow) seen = Rect{x, y, x + n, y};
    anyRow = true;
    seen.bottom = y + 1;
    const std::size_t first = std::size_t(y) * std::size_t(w_) + std::size_t(x);
    Pixel32* s = shadow != nullptr ? shadow + first : nullptr;
    Pixel32* h = highlight != nullptr ? highlight + first : nullptr;
    if (s != nullptr && h != nullptr)
      MaskedRow<true, true>(row.data(), s, h, n);
    else if (s != nullptr)
      MaskedRow<true, false>(row.data(), s, nullptr, n);
    else if (h != nullptr)
      MaskedRow<false, true>(row.data(), nullptr, h, n);
  });
  for (Bitmap* mask : {shadowMask, highlightMask}) {
    if (mask == nullptr) continue;
    Canvas& c = mask->GetCanvas();
    c.SetBrushStyle(bsSolid);
    c.SetBrushColor(clWhite);
    if (!anyRow) {
      c.FillRect(label_.ClientRect());
      continue;
    }
    c.FillRect(Rect{0, 0, w_, seen.top});
    c.FillRect(Rect{0, seen.bottom, w_, h_});
    c.FillRect(Rect{0, seen.top, seen.left, seen.bottom});
    c.FillRect(Rect{seen.right, seen.top, w_, seen.bottom});
  }
}

void Painter::Face() {
  const TColor faceColour = label_.GetFont().color;
  if (label_.GraduateFace() == goNone) {
    canvas_.SetFontColor(faceColour);
    DrawCopy(canvas_, 0, 0);
    return;
  }
  const Rect all = label_.ClientRect();
  Canvas& bitmapCanvas = bitmap_->GetCanvas();
  bitmapCanvas.CopyRect(all, canvas_, all);
  bitmapWhite_ = false;
  const TColor key = FaceKeyColour(label_.GraduateFrom(), faceColour);
  bitmapCanvas.SetFontColor(key);
  bitmapCanvas.SetBrushStyle(bsClear);
  DrawCopy(bitmapCanvas, 0, 0);
  FaceGradient(key);
}

void Painter::FaceGradient(TColor key) {
  const bool vertical = label_.GraduateFace() == goVertical;
  const auto& trig = label_.Trig();
  int p = 0, o = 0, f = 0;
  switch (placement_) {
    case Placement::kFlat:
      p = -minOff_;
      o = v_ - minOff_;
      f = (vertical ? canvas_.TextHeight(label_.Caption()) : canvas_.TextWidth(label_.Caption())) -
          1;
      break;
    case Placement::kUpright: {
      const auto b = BoxesOf(canvas_, text_, t_, u_, lineH_, Nearest(lastL_ * trig.cos),
                             Nearest(lastL_ * trig.sin), maxOff_ - minOff_ + 4);
      p = std::min(b.first.left, b.last.left);
      o = std::min(b.first.top, b.last.top);
      f = vertical ? std::max(b.first.bottom, b.last.bottom) - o
                   : std::max(b.first.right, b.last.right) - p;
      break;
    }
    case Placement::kTurned: {
      const auto corners =
          TurnedCorners(centre_, minOff_, maxOff_, turnedW_, turnedH_, trig.cos, trig.sin);
      p = o = INT32_MAX;
      int maxX = INT32_MIN, maxY = INT32_MIN;
      for (Point c : corners) {
        p = std::min(p, c.x);
        o = std::min(o, c.y);
        maxX = std::max(maxX, c.x);
        maxY = std::max(maxY, c.y);
      }
      f = vertical ? maxY - o : maxX - p;
      break;
    }
  }
  const Channels from = LowBytes(label_.GraduateFrom());
  const Channels to = LowBytes(label_.GetFont().color);
  // A one-pixel face has no room for a gradient: its single stripe takes the starting colour.
  const double stepR = f > 0 ? double(to.r - from.r) / f : 0;
  const double stepG = f > 0 ? double(to.g - from.g) / f : 0;
  const double stepB = f > 0 ? double(to.b - from.b) / f : 0;
  canvas_.SetBrushStyle(bsSolid);

  // Stripes never overlap and together form one rectangle: recolour the key in memory, stripe by
  // stripe, then copy the whole run at once.
  const Pixel32 keyPixel = ToPixel(key);
  std::span<Pixel32> pixels = bitmap_->Pixels();
  for (int c = 0; c <= f; ++c) {
    const TColor colour =
        Rgb(from.r + Nearest(c * stepR), from.g + Nearest(c * stepG), from.b + Nearest(c * stepB));
    canvas_.SetBrushColor(colour);
    const Pixel32 stripePixel = ToPixel(colour);
    const int line = (vertical ? o : p) + c;
    if (line < 0 || line >= (vertical ? h_ : w_)) continue;
    const int count = vertical ? w_ : h_;
    for (int k = 0; k < count; ++k) {
      Pixel32& px =
          vertical ? pixels[std::size_t(line) * w_ + k] : pixels[std::size_t(k) * w_ + line];
      if ((px & kPixelRgbMask) == keyPixel) px = stripePixel;
    }
  }
  if (f < 0) return;
  const Rect run = vertical ? Rect{0, std::max(o, 0), w_, std::min(o + f + 1, h_)}
                            : Rect{std::max(p, 0), 0, std::min(p + f + 1, w_), h_};
  if (run.Width() > 0 && run.Height() > 0) canvas_.CopyRect(run, bitmap_->GetCanvas(), run);
}

std::unique_ptr<Bitmap> Painter::TakeBitmap() {
  while (!spares_.empty()) {
    std::unique_ptr<Bitmap> spare = std::move(spares_.back());
    spares_.pop_back();
    // A spare of another size is of no further use: the label has been resized.
    if (spare->Width() != w_ || spare->Height() != h_) continue;
    Canvas& c = spare->GetCanvas();
    c.SetBrushStyle(bsSolid);
    c.SetBrushColor(clWhite);
    c.SetFont(toolkit::Font{});
    return spare;
  }
  return canvas_.CreateBitmap(w_, h_);
}

void Painter::Run() {
  MeasureExtent();
  bitmap_ = TakeBitmap();
  Canvas& bitmapCanvas = bitmap_->GetCanvas();
  bitmapCanvas.SetFont(label_.GetFont());
  canvas_.SetFont(label_.GetFont());
  const bool turned = label_.Angle() != 0 && !label_.KeepLettersVertical();
  if (turned) {
    ApplyFontAngle(bitmapCanvas, label_.Angle());
    ApplyFontAngle(canvas_, label_.Angle());
  }
  Place();
  Background();

  const bool realShadow = label_.StyleShadow() == eoReal;
  const bool realHighlight = label_.StyleHighlight() == eoReal;
  Canvas* highlightTarget = &bitmapCanvas;
  if (realShadow && realHighlight) {
    // Between the two passes only the off-screen bitmap changes, so with a mask of its own for
    // the highlight both run in one trip through the label's surface.
    highlightMask_ = TakeBitmap();
    highlightMask_->GetCanvas().SetFont(bitmapCanvas.GetFont());
    highlightTarget = &highlightMask_->GetCanvas();
  }

  Layer(label_.ColourShadow(), label_.StyleShadow(), label_.DepthShadow(), unitS_, bitmapCanvas);
  if (realShadow && !realHighlight) TranslucentPasses(bitmap_.get(), nullptr);

  // The highlight's mask would be cleared to white first; it is white already, as the shadow's
  // real pass whitened what it read, and otherwise the shadow never drew on it.
  Layer(label_.ColourHighlight(), label_.StyleHighlight(), label_.DepthHighlight(), unitH_,
        *highlightTarget);
  if (realHighlight) {
    if (realShadow)
      TranslucentPasses(bitmap_.get(), highlightMask_.get());
    else
      TranslucentPasses(nullptr, bitmap_.get());
  }

  Face();
  if (turned) ApplyFontAngle(canvas_, 0);
  if (bitmapWhite_) spares_.push_back(std::move(bitmap_));
  if (highlightMask_) spares_.push_back(std::move(highlightMask_));
}

}  // namespace

TColor FaceKeyColour(TColor graduateFrom, TColor face) {
  if (graduateFrom != clRed && face != clRed) return clRed;
  if (graduateFrom != clGreen && face != clGreen) return clGreen;
  return clBlue;
}

void TLabelEffect::Paint(Canvas& canvas) { Painter(*this, canvas, spareBitmaps_).Run(); }

}  // namespace ui
