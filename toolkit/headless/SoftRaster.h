// The memory a headless surface draws into: 32-bit pixels (0x00RRGGBB, as in a Win32 DIB
// section) and a record of every text drawn on it, for the tests that check where text went.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "toolkit/Canvas.h"
#include "toolkit/Types.h"

namespace toolkit::headless {

struct TextRecord {
  enum Kind { kDrawText, kTextOut };
  Kind kind = kDrawText;
  std::string text;   // as given to the canvas
  std::string shown;  // as shown: prefixes processed, lines joined by '\n'
  Rect rect;          // DrawText's rectangle, in the drawing canvas's coordinates
  Point point;        // TextOut's point, in the drawing canvas's coordinates
  TColor color = 0;   // the font colour as set, before system colours are resolved
  unsigned format = 0;
  Font font;
};

struct PointF {
  double x = 0;
  double y = 0;
};

class SoftRaster {
 public:
  SoftRaster(int width, int height, Pixel32 fill = 0x00FFFFFF);
  // Pixels left undefined, for a raster that is drawn over entirely before it is read.
  struct Uncleared {};
  SoftRaster(int width, int height, Uncleared);
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rect Bounds() const { return Rect{0, 0, width_, height_}; }
  std::span<Pixel32> Pixels() { return {pixels_.get(), Size()}; }
  std::span<const Pixel32> Pixels() const { return {pixels_.get(), Size()}; }
  Pixel32 At(int x, int y) const { return pixels_[std::size_t(y) * width_ + x]; }
  void Set(int x, int y, Pixel32 p) { pixels_[std::size_t(y) * width_ + x] = p; }

  // Both clip to `clip` and to the raster.
  void Fill(const Rect& area, const Rect& clip, Pixel32 p);
  // A pixel is inside when its centre is (even-odd rule).
  void FillPolygon(std::span<const PointF> corners, const Rect& clip, Pixel32 p);

  std::vector<TextRecord>& Texts() { return texts_; }
  const std::vector<TextRecord>& Texts() const { return texts_; }

  // Writes a binary PPM picture, for a person to look at when a pixel test fails.
  bool SavePpm(const std::string& path) const;

 private:
  std::size_t Size() const { return std::size_t(width_) * std::size_t(height_); }

  int width_;
  int height_;
  std::unique_ptr<Pixel32[]> pixels_;
  std::vector<TextRecord> texts_;
};

Rect Intersect(const Rect& a, const Rect& b);

}  // namespace toolkit::headless
