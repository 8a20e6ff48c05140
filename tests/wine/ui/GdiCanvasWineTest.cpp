// The GDI canvas against the platform itself: the portable MulDiv gives what Windows' MulDiv
// gives, new bitmaps are white DIB memory, text comes out in exact colours (no antialiased edges,
// which the label's black-mask and key-colour passes depend on), copies keep pixels, and pixel
// passes through EditRows land where they were meant to, also for a canvas with a moved origin
// and a clip, as a graphic control's is.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "toolkit/win32/GdiCanvas.h"
#include "ui/LblEffct.h"

namespace {

using namespace toolkit;
using toolkit::win32::DibBitmap;

TEST(GdiCanvasWineTest, MulDivMatchesThePlatform) {
  const int cases[][3] = {{1, 380, 255},  {2, 380, 255},      {1, -255, 2},
                          {1, 255, 2},    {-3, 5, 2},         {-1, 255, -2},
                          {249, 25, 255}, {250, 25, 255},     {7, 0, 3},
                          {5, 5, 0},      {0x40000000, 4, 2}, {0x10000, 0x10000, 0x10000},
                          {-7, 3, 2}};
  for (const auto& c : cases)
    EXPECT_EQ(toolkit::MulDiv(c[0], c[1], c[2]), ::MulDiv(c[0], c[1], c[2]))
        << c[0] << " " << c[1] << " " << c[2];
}

TEST(GdiCanvasWineTest, BitmapsAreWhiteMemory) {
  DibBitmap bitmap(5, 3);
  ASSERT_EQ(bitmap.Pixels().size(), 15u);
  for (Pixel32 p : bitmap.Pixels()) EXPECT_EQ(p & kPixelRgbMask, 0x00FFFFFFu);
  bitmap.GetCanvas().SetBrushColor(clRed);
  bitmap.GetCanvas().FillRect(Rect{1, 1, 3, 2});
  EXPECT_EQ(bitmap.Pixels()[6] & kPixelRgbMask, ToPixel(clRed));
  EXPECT_EQ(bitmap.GetCanvas().Pixel(2, 1), clRed);
  EXPECT_EQ(bitmap.Pixels()[8] & kPixelRgbMask, 0x00FFFFFFu);
}

TEST(GdiCanvasWineTest, TextIsWrittenInExactColours) {
  DibBitmap bitmap(200, 40);
  Canvas& canvas = bitmap.GetCanvas();
  Font font;
  font.name = "Times New Roman";
  font.height = 27;
  font.color = clRed;
  canvas.SetFont(font);
  canvas.SetBrushStyle(bsClear);
  canvas.DrawText("Tolvek", Rect{0, 0, 200, 40}, tfWordBreak | tfExpandTabs);
  int red = 0, other = 0;
  for (Pixel32 p : bitmap.Pixels()) {
    p &= kPixelRgbMask;
    if (p == ToPixel(clRed))
      ++red;
    else if (p != 0x00FFFFFFu)
      ++other;
  }
  EXPECT_GT(red, 100);
  EXPECT_EQ(other, 0);
  EXPECT_GT(canvas.TextWidth("Tolvek"), 40);
  EXPECT_GT(canvas.TextHeight("Tolvek"), 27);
}

TEST(GdiCanvasWineTest, CopyRectKeepsPixels) {
  DibBitmap from(4, 4);
  DibBitmap to(4, 4);
  from.GetCanvas().SetPixel(2, 3, Rgb(1, 2, 3));
  to.GetCanvas().CopyRect(Rect{0, 0, 4, 4}, from.GetCanvas(), Rect{0, 0, 4, 4});
  EXPECT_EQ(to.GetCanvas().Pixel(2, 3), Rgb(1, 2, 3));
  EXPECT_EQ(to.GetCanvas().ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
}

TEST(GdiCanvasWineTest, EditRowsRewritesTheAreaInPlace) {
  DibBitmap bitmap(20, 10);
  HDC dc = bitmap.Handle();
  // A control's canvas: origin at (5, 2) of the bitmap, clipped to 6 x 4 pixels.
  const int saved = SaveDC(dc);
  SetViewportOrgEx(dc, 5, 2, nullptr);
  IntersectClipRect(dc, 0, 0, 6, 4);
  {
    win32::GdiCanvas canvas(dc);
    canvas.SetBrushColor(Rgb(200, 100, 50));
    canvas.FillRect(Rect{0, 0, 6, 4});
    std::vector<int> rows;
    canvas.EditRows(Rect{0, 0, 6, 4}, [&](int x, int y, std::span<Pixel32> row) {
      EXPECT_EQ(x, 0);
      EXPECT_EQ(row.size(), 6u);
      rows.push_back(y);
      for (Pixel32& p : row) p = (p >> 1) & 0x007F7F7F;
    });
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 3}));
  }
  RestoreDC(dc, saved);
  EXPECT_EQ(bitmap.GetCanvas().Pixel(5, 2), Rgb(100, 50, 25));
  EXPECT_EQ(bitmap.GetCanvas().Pixel(10, 5), Rgb(100, 50, 25));
  EXPECT_EQ(bitmap.GetCanvas().Pixel(4, 2), clWhite);
  EXPECT_EQ(bitmap.GetCanvas().Pixel(11, 5), clWhite);
  EXPECT_EQ(bitmap.GetCanvas().Pixel(5, 6), clWhite);
}

// The translucent layers on GDI: every pixel is the background as it was, darkened, lightened,
// darkened then lightened, or the face, with real fonts whose exact pixels no test can predict.
// A second paint, which reuses the first one's bitmaps, gives the same picture.
TEST(GdiCanvasWineTest, RealLayersDarkenAndLightenWhatLiesBeneath) {
  ui::TLabelEffect label(nullptr, "LabelEffect1");
  label.SetBounds(0, 0, 300, 33);
  label.SetCaption("Tolvek per AutoCAD");
  label.SetStyleShadow(ui::eoReal);
  label.SetStyleHighlight(ui::eoReal);
  const TColor under = Rgb(200, 100, 50);
  const Pixel32 plain = ToPixel(under);
  const Pixel32 darker = ToPixel(Rgb(100, 50, 25));
  const Pixel32 lighter = ToPixel(Rgb(227, 177, 152));
  const Pixel32 both = ToPixel(Rgb(177, 152, 140));
  const Pixel32 face = ToPixel(clGray);
  std::vector<Pixel32> first;
  for (int paint = 0; paint < 2; ++paint) {
    DibBitmap screen(300, 33);
    screen.GetCanvas().SetBrushColor(under);
    screen.GetCanvas().FillRect(Rect{0, 0, 300, 33});
    label.Paint(screen.GetCanvas());
    int counts[5] = {};
    int other = 0;
    std::vector<Pixel32> pixels;
    for (Pixel32 p : screen.Pixels()) {
      p &= kPixelRgbMask;
      pixels.push_back(p);
      const Pixel32 known[5] = {plain, darker, lighter, both, face};
      auto it = std::find(std::begin(known), std::end(known), p);
      if (it == std::end(known))
        ++other;
      else
        ++counts[it - std::begin(known)];
    }
    EXPECT_EQ(other, 0);
    EXPECT_GT(counts[1], 20) << "darkened";
    EXPECT_GT(counts[2], 20) << "lightened";
    EXPECT_GT(counts[4], 100) << "face";
    if (paint == 0)
      first = pixels;
    else
      EXPECT_TRUE(first == pixels) << "the second paint differs";
  }
}

}  // namespace
