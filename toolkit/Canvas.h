// The drawing surface graphic controls paint on. It exists so that the presentation components
// draw without naming an imaging API: on Win32 it is GDI on a device context, headless it is a
// memory raster a test reads back. Colours given to it may be system colours; it resolves them
// when it draws. Coordinates are the surface's own, (0, 0) at the top-left of what is painted.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "toolkit/Types.h"

namespace toolkit {

class GraphicControl;
class Bitmap;

// Pixels as a 32-bit top-down bitmap holds them: 0x00RRGGBB, the top byte undefined.
using Pixel32 = std::uint32_t;
inline constexpr Pixel32 kPixelRgbMask = 0x00FFFFFF;
constexpr Pixel32 ToPixel(TColor rgb) {
  return (Pixel32(RedOf(rgb)) << 16) | (Pixel32(GreenOf(rgb)) << 8) | Pixel32(BlueOf(rgb));
}
constexpr TColor FromPixel(Pixel32 p) {
  return Rgb(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
}

enum TBrushStyle { bsSolid, bsClear };

// Formatted text drawing options. The values are the platform's own, so a backend passes them on.
enum TextFormat : unsigned {
  tfLeft = 0x0,
  tfCenter = 0x1,
  tfRight = 0x2,
  tfWordBreak = 0x10,
  tfSingleLine = 0x20,
  tfExpandTabs = 0x40,
  tfNoClip = 0x100,
  tfNoPrefix = 0x800,
};

class Canvas {
 public:
  Canvas() = default;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  virtual ~Canvas() = default;

  // A solid brush fills rectangles and polygons and gives text an opaque background box; a clear
  // brush fills nothing and writes text straight over what is there.
  TColor BrushColor() const { return brushColor_; }
  void SetBrushColor(TColor color) { brushColor_ = color; }
  TBrushStyle BrushStyle() const { return brushStyle_; }
  void SetBrushStyle(TBrushStyle style) { brushStyle_ = style; }

  // The text font; its colour is the text colour and its escapement turns the text
  // counter-clockwise around the point it is written at.
  const Font& GetFont() const { return font_; }
  void SetFont(const Font& font) { font_ = font; }
  void SetFontColor(TColor color) { font_.color = color; }

  // Right and bottom edges are exclusive.
  virtual void FillRect(const Rect& area) = 0;
  // Fills the polygon with the brush (outline included).
  virtual void Polygon(std::span<const Point> corners) = 0;
  // The platform's formatted text drawing: TextFormat flags; without tfNoPrefix an ampersand
  // underlines the next character and two in a row show one.
  virtual void DrawText(std::string_view text, const Rect& area, unsigned format) = 0;
  // One line with its top-left corner (before turning) at (x, y); no prefix processing.
  virtual void TextOut(int x, int y, std::string_view text) = 0;
  // Measurements with the current font, unturned; the height is the font's line height.
  virtual int TextWidth(std::string_view text) = 0;
  virtual int TextHeight(std::string_view text) = 0;
  // Copies (stretching when the sizes differ) `from` of `source` onto `to` of this surface.
  // Both canvases must come from the same backend.
  virtual void CopyRect(const Rect& to, Canvas& source, const Rect& from) = 0;
  // Single-pixel access, slow on a device: pixel passes belong on a Bitmap's Pixels().
  virtual TColor Pixel(int x, int y) = 0;
  virtual void SetPixel(int x, int y, TColor color) = 0;
  // Hands the surface's pixels within `area` to `edit` one row at a time and keeps what it
  // writes: a pass over every pixel then costs memory speed, not a device call per pixel. The row
  // starts at (x, y) of this canvas. Pixels the surface does not show may be left out, or handed
  // over with their changes dropped, so an edit may depend only on a pixel and its position.
  using RowEdit = std::function<void(int x, int y, std::span<Pixel32> row)>;
  virtual void EditRows(const Rect& area, const RowEdit& edit) = 0;
  // An off-screen bitmap in this surface's format, white.
  virtual std::unique_ptr<Bitmap> CreateBitmap(int width, int height) = 0;
  // The same with its pixels undefined until drawn on: for a caller that covers every pixel
  // anyway, so that the bitmap is not cleared first.
  virtual std::unique_ptr<Bitmap> CreateScratchBitmap(int width, int height) = 0;
  // A system colour as currently set; a plain colour unchanged.
  virtual TColor ColorToRGB(TColor color) const = 0;

 private:
  TColor brushColor_ = clWhite;
  TBrushStyle brushStyle_ = bsSolid;
  Font font_;
};

class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  virtual ~Bitmap() = default;
  virtual Canvas& GetCanvas() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Width × Height pixels, row by row from the top, for passes that touch every pixel. Valid
  // until the bitmap is released; drawing finished on the canvas is visible here.
  virtual std::span<Pixel32> Pixels() = 0;
};

// The platform's multiply-divide: a × b / c from the 64-bit product, rounded to the nearest
// integer with halves away from zero; -1 when c is 0 or the result overflows.
constexpr int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t product = std::int64_t(a) * b;
  bool negative = (product < 0) != (c < 0);
  std::uint64_t magnitude = product < 0 ? std::uint64_t(-product) : std::uint64_t(product);
  std::uint64_t divisor = c < 0 ? std::uint64_t(-std::int64_t(c)) : std::uint64_t(c);
  std::uint64_t quotient = (magnitude * 2 + divisor) / (divisor * 2);
  if (quotient > std::uint64_t(INT32_MAX) + (negative ? 1 : 0)) return -1;
  return negative ? int(-std::int64_t(quotient)) : int(quotient);
}

// The parent's surface for drawing a graphic control at once, outside a paint: origin at the
// control's top-left corner, clipped to it. Empty while the control has no window to draw on.
// Each backend provides it.
std::unique_ptr<Canvas> GetControlCanvas(GraphicControl& control);

}  // namespace toolkit
