// The headless canvas: draws into a SoftRaster with the built-in font (SoftFont.h) and records
// every text it draws. A canvas may be a window onto part of a raster (a graphic control on its
// parent): its origin is then the control's corner and it clips to the control.
#pragma once

#include <memory>

#include "toolkit/Canvas.h"
#include "toolkit/headless/SoftFont.h"
#include "toolkit/headless/SoftRaster.h"

namespace toolkit::headless {

class SoftCanvas : public Canvas {
 public:
  // `origin` and `clip` are in the raster's coordinates.
  SoftCanvas(SoftRaster& raster, Point origin, const Rect& clip);
  explicit SoftCanvas(SoftRaster& raster) : SoftCanvas(raster, Point{}, raster.Bounds()) {}

  SoftRaster& Raster() { return raster_; }

  void FillRect(const Rect& area) override;
  void Polygon(std::span<const Point> corners) override;
  void DrawText(std::string_view text, const Rect& area, unsigned format) override;
  void TextOut(int x, int y, std::string_view text) override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view text) override;
  void CopyRect(const Rect& to, Canvas& source, const Rect& from) override;
  TColor Pixel(int x, int y) override;
  void SetPixel(int x, int y, TColor color) override;
  void EditRows(const Rect& area, const RowEdit& edit) override;
  std::unique_ptr<Bitmap> CreateBitmap(int width, int height) override;
  std::unique_ptr<Bitmap> CreateScratchBitmap(int width, int height) override;
  TColor ColorToRGB(TColor color) const override;

 private:
  Rect ToRaster(const Rect& r) const;
  // Writes one laid-out line with its top-left corner at (x, y) in canvas coordinates, turned by
  // the font's escapement around that corner.
  void WriteLine(const ShownLine& line, int x, int y, const Rect& clip);

  SoftRaster& raster_;
  Point origin_;
  Rect clip_;
};

class SoftBitmap : public Bitmap {
 public:
  SoftBitmap(int width, int height) : raster_(width, height), canvas_(raster_) {}
  SoftBitmap(int width, int height, SoftRaster::Uncleared uncleared)
      : raster_(width, height, uncleared), canvas_(raster_) {}
  Canvas& GetCanvas() override { return canvas_; }
  SoftCanvas& Soft() { return canvas_; }
  SoftRaster& Raster() { return raster_; }
  int Width() const override { return raster_.Width(); }
  int Height() const override { return raster_.Height(); }
  std::span<Pixel32> Pixels() override { return raster_.Pixels(); }

 private:
  SoftRaster raster_;
  SoftCanvas canvas_;
};

// The classic Windows scheme, which the headless backend treats as the current setting.
TColor SoftSystemColor(int index);

}  // namespace toolkit::headless
