// The GDI canvas against the platform itself: the portable MulDiv gives what Windows' MulDiv
// gives, new bitmaps are white DIB memory, text comes out in exact colours (no antialiased edges,
// which the label's black-mask and key-colour passes depend on), and copies keep pixels.
#include <gtest/gtest.h>

#include "toolkit/win32/GdiCanvas.h"

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

}  // namespace
