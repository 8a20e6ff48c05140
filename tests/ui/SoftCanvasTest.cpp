// The headless canvas the presentation tests read back: the platform's MulDiv rounding, the
// built-in font's documented metrics, formatted text (alignment, word breaking, tabs, prefixes,
// clipping), opaque and clear brushes, polygons, copies between canvases and pixel access. If it
// drifted from what the Win32 canvas does, the component tests above it would prove nothing.
#include <gtest/gtest.h>

#include <vector>

#include "tests/ui/UiTestSupport.h"
#include "toolkit/headless/SoftCanvas.h"

namespace {

using namespace toolkit;
using headless::SoftBitmap;
using uitest::ColorAt;

TEST(MulDivTest, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(1, 380, 255), 1);
  EXPECT_EQ(MulDiv(2, 380, 255), 3);
  EXPECT_EQ(MulDiv(1, -255, 2), -128);
  EXPECT_EQ(MulDiv(1, 255, 2), 128);
  EXPECT_EQ(MulDiv(-1, 255, -2), 128);
  EXPECT_EQ(MulDiv(250, 25, 255), 25);
  EXPECT_EQ(MulDiv(249, 25, 255), 24);
  EXPECT_EQ(MulDiv(0x40000000, 4, 2), -1);  // overflow
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
  EXPECT_EQ(MulDiv(0x10000, 0x10000, 0x10000), 0x10000);  // the product needs 64 bits
}

TEST(SoftCanvasTest, FontMetrics) {
  SoftBitmap bitmap(10, 10);
  Canvas& c = bitmap.GetCanvas();
  Font font;
  font.height = 27;
  c.SetFont(font);
  EXPECT_EQ(c.TextWidth("Tolvek"), 6 * 14);
  EXPECT_EQ(c.TextHeight("x"), 31);
  font.height = 11;
  c.SetFont(font);
  EXPECT_EQ(c.TextWidth("ab"), 12);
  EXPECT_EQ(c.TextHeight(""), 12);
}

TEST(SoftCanvasTest, NewBitmapsAreWhite) {
  SoftBitmap bitmap(3, 2);
  for (Pixel32 p : bitmap.Pixels()) EXPECT_EQ(p & kPixelRgbMask, 0x00FFFFFFu);
}

TEST(SoftCanvasTest, AlignmentAndWordBreak) {
  SoftBitmap bitmap(100, 100);
  Canvas& c = bitmap.GetCanvas();
  c.SetBrushStyle(bsClear);
  c.SetFontColor(clBlack);  // 11 pixels: advance 6, line 12
  c.DrawText("aa bb cc", Rect{0, 0, 40, 100}, tfWordBreak);
  EXPECT_EQ(bitmap.Raster().Texts().back().shown, "aa bb\ncc");
  c.DrawText("ab", Rect{0, 50, 40, 100}, tfRight);
  // Right-aligned: the second letter's ink ends one column before the right edge.
  EXPECT_EQ(ColorAt(bitmap.Raster(), 38, 55), clBlack);
  EXPECT_EQ(ColorAt(bitmap.Raster(), 39, 55), clWhite);
  EXPECT_EQ(ColorAt(bitmap.Raster(), 27, 55), clWhite);
  c.DrawText("ab", Rect{0, 70, 40, 100}, tfCenter);
  EXPECT_EQ(ColorAt(bitmap.Raster(), 14 + 1, 75), clBlack);
}

TEST(SoftCanvasTest, LongWordStandsAloneAndIsClipped) {
  SoftBitmap bitmap(100, 40);
  Canvas& c = bitmap.GetCanvas();
  c.SetBrushStyle(bsClear);
  c.SetFontColor(clBlack);
  c.DrawText("a abcdefghij b", Rect{10, 0, 40, 100}, tfWordBreak);
  EXPECT_EQ(bitmap.Raster().Texts().back().shown, "a\nabcdefghij\nb");
  EXPECT_EQ(ColorAt(bitmap.Raster(), 40, 12 + 5), clWhite);  // clipped at the right edge
  EXPECT_EQ(ColorAt(bitmap.Raster(), 38, 12 + 5), clBlack);
}

TEST(SoftCanvasTest, TabsExpandToEightAdvances) {
  SoftBitmap bitmap(200, 20);
  Canvas& c = bitmap.GetCanvas();
  c.SetBrushStyle(bsClear);
  c.SetFontColor(clBlack);
  c.DrawText("a\tb", Rect{0, 0, 200, 20}, tfExpandTabs);
  EXPECT_EQ(ColorAt(bitmap.Raster(), 48 + 1, 5), clBlack);
  EXPECT_EQ(ColorAt(bitmap.Raster(), 12 + 1, 5), clWhite);
}

TEST(SoftCanvasTest, PrefixesAndLineBreaks) {
  SoftBitmap bitmap(200, 40);
  Canvas& c = bitmap.GetCanvas();
  c.DrawText("&a&&b\r\nc", Rect{0, 0, 200, 40}, tfLeft);
  EXPECT_EQ(bitmap.Raster().Texts().back().shown, "a&b\nc");
  c.DrawText("&a", Rect{0, 0, 200, 40}, tfNoPrefix);
  EXPECT_EQ(bitmap.Raster().Texts().back().shown, "&a");
}

TEST(SoftCanvasTest, SolidBrushGivesTextABox) {
  SoftBitmap bitmap(50, 20);
  Canvas& c = bitmap.GetCanvas();
  c.SetBrushColor(clYellow);
  c.SetFontColor(clBlack);
  c.TextOut(0, 0, "a");
  EXPECT_EQ(ColorAt(bitmap.Raster(), 0, 0), clYellow);
  EXPECT_EQ(ColorAt(bitmap.Raster(), 6, 0), clWhite);
  c.SetBrushStyle(bsClear);
  c.FillRect(Rect{0, 0, 50, 20});
  EXPECT_EQ(ColorAt(bitmap.Raster(), 6, 0), clWhite);
}

TEST(SoftCanvasTest, PolygonFillsPixelsWhoseCentreIsInside) {
  SoftBitmap bitmap(20, 20);
  Canvas& c = bitmap.GetCanvas();
  c.SetBrushColor(clRed);
  const Point square[] = {{2, 2}, {10, 2}, {10, 10}, {2, 10}};
  c.Polygon(square);
  EXPECT_EQ(ColorAt(bitmap.Raster(), 2, 2), clRed);
  EXPECT_EQ(ColorAt(bitmap.Raster(), 9, 9), clRed);
  EXPECT_EQ(ColorAt(bitmap.Raster(), 10, 5), clWhite);
  EXPECT_EQ(ColorAt(bitmap.Raster(), 1, 5), clWhite);
}

TEST(SoftCanvasTest, CopyRectAndPixels) {
  SoftBitmap from(4, 4);
  SoftBitmap to(8, 8);
  from.GetCanvas().SetPixel(1, 1, clBlue);
  EXPECT_EQ(from.GetCanvas().Pixel(1, 1), clBlue);
  EXPECT_EQ(from.GetCanvas().Pixel(9, 9), 0xFFFFFFFFu);
  to.GetCanvas().CopyRect(Rect{0, 0, 8, 8}, from.GetCanvas(), Rect{0, 0, 4, 4});  // stretched
  EXPECT_EQ(ColorAt(to.Raster(), 2, 2), clBlue);
  EXPECT_EQ(ColorAt(to.Raster(), 3, 3), clBlue);
  EXPECT_EQ(ColorAt(to.Raster(), 4, 4), clWhite);
}

TEST(SoftCanvasTest, CopyFromBeyondTheSourceLeavesThoseTargetPixels) {
  SoftBitmap from(4, 4);
  SoftBitmap to(4, 4);
  from.GetCanvas().SetPixel(3, 3, clBlue);
  to.GetCanvas().SetBrushColor(clRed);
  to.GetCanvas().FillRect(Rect{0, 0, 4, 4});
  to.GetCanvas().CopyRect(Rect{0, 0, 4, 4}, from.GetCanvas(), Rect{2, 2, 6, 6});
  EXPECT_EQ(ColorAt(to.Raster(), 1, 1), clBlue);
  EXPECT_EQ(ColorAt(to.Raster(), 0, 0), clWhite);
  EXPECT_EQ(ColorAt(to.Raster(), 2, 2), clRed);
  EXPECT_EQ(ColorAt(to.Raster(), 3, 0), clRed);
}

TEST(SoftCanvasTest, ChildCanvasClipsToItsControl) {
  headless::SoftRaster raster(30, 30);
  headless::SoftCanvas child(raster, Point{10, 10}, Rect{10, 10, 20, 20});
  child.SetBrushColor(clGreen);
  child.FillRect(Rect{-5, -5, 50, 50});
  EXPECT_EQ(ColorAt(raster, 10, 10), clGreen);
  EXPECT_EQ(ColorAt(raster, 19, 19), clGreen);
  EXPECT_EQ(ColorAt(raster, 20, 20), clWhite);
  EXPECT_EQ(ColorAt(raster, 9, 9), clWhite);
}

// The label's translucent passes rewrite the surface through these rows: an offset or a row past
// the clip would shift or spill the darkening onto the neighbouring controls.
TEST(SoftCanvasTest, EditRowsHandsOverOnlyWhatTheCanvasShowsAndKeepsTheEdits) {
  headless::SoftRaster raster(30, 30);
  headless::SoftCanvas child(raster, Point{10, 5}, Rect{12, 5, 20, 9});
  std::vector<Rect> rows;
  child.EditRows(Rect{0, 0, 50, 50}, [&](int x, int y, std::span<Pixel32> row) {
    rows.push_back(Rect{x, y, x + int(row.size()), y + 1});
    for (Pixel32& p : row) p = ToPixel(clRed);
  });
  ASSERT_EQ(rows.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(rows[i], (Rect{2, i, 10, i + 1}));
  EXPECT_EQ(ColorAt(raster, 12, 5), clRed);
  EXPECT_EQ(ColorAt(raster, 19, 8), clRed);
  EXPECT_EQ(ColorAt(raster, 11, 5), clWhite);
  EXPECT_EQ(ColorAt(raster, 20, 8), clWhite);
  EXPECT_EQ(ColorAt(raster, 12, 9), clWhite);

  // Nothing of an area beside the clip.
  int calls = 0;
  child.EditRows(Rect{20, 0, 30, 4}, [&](int, int, std::span<Pixel32>) { ++calls; });
  EXPECT_EQ(calls, 0);
}

TEST(SoftCanvasTest, ScratchBitmapsHaveTheirSize) {
  SoftBitmap canvasOwner(1, 1);
  auto scratch = canvasOwner.GetCanvas().CreateScratchBitmap(7, 3);
  EXPECT_EQ(scratch->Width(), 7);
  EXPECT_EQ(scratch->Height(), 3);
  EXPECT_EQ(scratch->Pixels().size(), 21u);
  scratch->GetCanvas().SetBrushColor(clNavy);
  scratch->GetCanvas().FillRect(Rect{0, 0, 7, 3});
  EXPECT_EQ(scratch->GetCanvas().Pixel(6, 2), clNavy);
}

TEST(SoftCanvasTest, SystemColoursResolve) {
  SoftBitmap bitmap(1, 1);
  EXPECT_EQ(bitmap.GetCanvas().ColorToRGB(clBtnFace), Rgb(192, 192, 192));
  EXPECT_EQ(bitmap.GetCanvas().ColorToRGB(clWindowText), clBlack);
  EXPECT_EQ(bitmap.GetCanvas().ColorToRGB(clTeal), clTeal);
}

}  // namespace
