// The Win32 canvas: GDI on a device context the canvas does not own (a window's, during a paint or
// borrowed for drawing at once, or a memory DC). Off-screen bitmaps are 32-bit top-down DIB
// sections, so that the pixel passes of the components run on memory rather than one GDI call per
// pixel. Fonts are made without antialiasing: the components find their text again by exact
// colour (black masks, key colours), which blended edge pixels would break.
#pragma once

#include <windows.h>
// The canvas has methods of these names; <windows.h> makes them macros for its A/W pairs.
#undef DrawText
#undef TextOut

#include <optional>

#include "toolkit/Canvas.h"
#include "toolkit/win32/Handles.h"

namespace toolkit::win32 {

class GdiCanvas : public Canvas {
 public:
  explicit GdiCanvas(HDC dc) : dc_(dc) {}

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
  // Selects a font made from the current description, making it again only when it changed.
  void UseFont();
  void PrepareText();

  HDC dc_;
  Font made_;
  UniqueFont font_;
  // Declared after the font so that the font is deselected before it is deleted.
  std::optional<SelectedObject> fontSelection_;
};

class DibBitmap : public Bitmap {
 public:
  enum Content { kWhite, kUndefined };
  // kUndefined is for a caller that overwrites every pixel before reading any.
  DibBitmap(int width, int height, Content content = kWhite);
  Canvas& GetCanvas() override { return canvas_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  std::span<Pixel32> Pixels() override;
  HDC Handle() const { return dc_.Get(); }

 private:
  int width_;
  int height_;
  Pixel32* bits_ = nullptr;
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  std::optional<SelectedObject> selection_;
  GdiCanvas canvas_;
};

}  // namespace toolkit::win32
