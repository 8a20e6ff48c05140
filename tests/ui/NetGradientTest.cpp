// The gradient panel: band geometry by MulDiv, band colours by MulDiv modulo 256, the four
// directions, the single band, system colours, the caption over the bands, and what each property
// assignment does (draw at once, request a repaint, or nothing). Pixel checks read the headless
// raster; a failing one leaves its picture in the build folder.
#include <gtest/gtest.h>

#include <set>

#include "tests/ui/UiTestSupport.h"
#include "toolkit/Forms.h"
#include "toolkit/headless/SoftHost.h"
#include "ui/NetGradient.h"

namespace {

using namespace toolkit;
using toolkit::headless::PaintToRaster;
using uitest::ColorAt;
using uitest::SaveOnFailure;

TEST(NetGradientTest, ConstructionValues) {
  ui::TNetGradient panel(nullptr, "NetGradient");
  EXPECT_EQ(panel.Width(), 400);
  EXPECT_EQ(panel.Height(), 25);
  EXPECT_EQ(panel.BeginColor(), clGray);
  EXPECT_EQ(panel.EndColor(), clBtnFace);
  EXPECT_EQ(panel.FillDirection(), ui::fdLeftToRight);
  EXPECT_EQ(panel.NumberOfColors(), 255);
  EXPECT_FALSE(panel.AutoSize());
  EXPECT_TRUE(panel.Font().Bold());
  EXPECT_EQ(panel.Font().name, Font{}.name);
  EXPECT_EQ(panel.Caption(), "");
  EXPECT_EQ(panel.TextTop(), 5);
  EXPECT_EQ(panel.TextLeft(), 12);
}

TEST(NetGradientTest, BackgroundWindowBandsAt380Rows) {
  ui::TNetGradient panel(nullptr, "NetGradient");
  panel.SetBounds(0, 0, 40, 380);
  panel.SetFillDirection(ui::fdTopToBottom);
  panel.SetBeginColor(0x009E5C1A);
  panel.SetEndColor(clWhite);
  auto picture = PaintToRaster(panel);
  const auto& raster = picture->Raster();
  EXPECT_EQ(ColorAt(raster, 0, 0), Rgb(26, 92, 158));
  EXPECT_EQ(ColorAt(raster, 39, 1), Rgb(27, 93, 158));
  EXPECT_EQ(ColorAt(raster, 20, 2), Rgb(27, 93, 158));
  EXPECT_EQ(ColorAt(raster, 0, 3), Rgb(28, 93, 159));
  EXPECT_EQ(ColorAt(raster, 39, 379), Rgb(255, 255, 255));
  // Every row is one band across the whole width.
  for (int y = 0; y < 380; ++y)
    EXPECT_EQ(ColorAt(raster, 0, y), ColorAt(raster, 39, y)) << "row " << y;
  SaveOnFailure(raster, "NetGradient380");
}

TEST(NetGradientTest, ThreeBandsRoundTheMiddleAwayFromZero) {
  ui::TNetGradient panel(nullptr, "NetGradient");
  panel.SetBounds(0, 0, 30, 4);
  panel.SetBeginColor(clWhite);
  panel.SetEndColor(clBlack);
  panel.SetNumberOfColors(3);
  auto picture = PaintToRaster(panel);
  const auto& raster = picture->Raster();
  EXPECT_EQ(ColorAt(raster, 0, 0), Rgb(255, 255, 255));
  EXPECT_EQ(ColorAt(raster, 9, 3), Rgb(255, 255, 255));
  EXPECT_EQ(ColorAt(raster, 10, 0), Rgb(127, 127, 127));
  EXPECT_EQ(ColorAt(raster, 19, 0), Rgb(127, 127, 127));
  EXPECT_EQ(ColorAt(raster, 20, 0), Rgb(0, 0, 0));
  EXPECT_EQ(ColorAt(raster, 29, 3), Rgb(0, 0, 0));
  SaveOnFailure(raster, "NetGradientThree");
}

TEST(NetGradientTest, OneBandTakesTheStartColourOfEachDirection) {
  const std::pair<ui::TFillDirection, TColor> cases[] = {{ui::fdLeftToRight, clRed},
                                                         {ui::fdTopToBottom, clRed},
                                                         {ui::fdRightToLeft, clBlue},
                                                         {ui::fdBottomToTop, clBlue}};
  for (auto [direction, expected] : cases) {
    ui::TNetGradient panel(nullptr, "NetGradient");
    panel.SetBounds(0, 0, 17, 9);
    panel.SetBeginColor(clRed);
    panel.SetEndColor(clBlue);
    panel.SetFillDirection(direction);
    panel.SetNumberOfColors(1);
    auto picture = PaintToRaster(panel);
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 17; ++x) {
        ASSERT_EQ(ColorAt(picture->Raster(), x, y), expected) << direction << " " << x << "," << y;
      }
    }
  }
}

TEST(NetGradientTest, TwentyFivePixelPanelShowsOnlyTwentyFiveBands) {
  ui::TNetGradient panel(nullptr, "NetGradient");
  panel.SetBounds(0, 0, 8, 25);
  panel.SetFillDirection(ui::fdTopToBottom);
  panel.SetBeginColor(clWhite);
  panel.SetEndColor(clBlack);
  auto picture = PaintToRaster(panel);
  const auto& raster = picture->Raster();
  EXPECT_EQ(ColorAt(raster, 0, 0), Rgb(250, 250, 250));  // band 5
  EXPECT_EQ(ColorAt(raster, 7, 24), Rgb(5, 5, 5));       // band 249
  std::set<TColor> rows;
  for (int y = 0; y < 25; ++y) {
    rows.insert(ColorAt(raster, 0, y));
    if (y > 0) {
      EXPECT_LT(RedOf(ColorAt(raster, 0, y)), RedOf(ColorAt(raster, 0, y - 1))) << "row " << y;
    }
  }
  EXPECT_EQ(rows.size(), 25u);
  EXPECT_EQ(rows.count(clWhite), 0u);
  EXPECT_EQ(rows.count(clBlack), 0u);
  SaveOnFailure(raster, "NetGradient25");
}

TEST(NetGradientTest, RightToLeftPutsTheBeginColourAtTheRight) {
  ui::TNetGradient panel(nullptr, "NetGradient");
  panel.SetBounds(0, 0, 255, 3);
  panel.SetFillDirection(ui::fdRightToLeft);
  panel.SetBeginColor(clRed);
  panel.SetEndColor(clBlue);
  auto picture = PaintToRaster(panel);
  EXPECT_EQ(ColorAt(picture->Raster(), 0, 1), clBlue);
  EXPECT_EQ(ColorAt(picture->Raster(), 254, 1), clRed);
  SaveOnFailure(picture->Raster(), "NetGradientRightToLeft");
}

TEST(NetGradientTest, BottomToTopPutsTheBeginColourAtTheBottom) {
  ui::TNetGradient panel(nullptr, "NetGradient");
  panel.SetBounds(0, 0, 3, 255);
  panel.SetFillDirection(ui::fdBottomToTop);
  panel.SetBeginColor(clRed);
  panel.SetEndColor(clBlue);
  auto picture = PaintToRaster(panel);
  EXPECT_EQ(ColorAt(picture->Raster(), 1, 0), clBlue);
  EXPECT_EQ(ColorAt(picture->Raster(), 1, 254), clRed);
}

TEST(NetGradientTest, SystemColoursAreResolvedToTheCurrentSetting) {
  ui::TNetGradient panel(nullptr, "NetGradient");
  panel.SetBounds(0, 0, 255, 2);
  panel.SetBeginColor(clBlack);  // the end stays clBtnFace
  auto picture = PaintToRaster(panel);
  EXPECT_EQ(ColorAt(picture->Raster(), 254, 0), headless::SoftSystemColor(15));
}

TEST(NetGradientTest, CaptionIsWrittenOverTheBandsWithoutABox) {
  ui::TNetGradient panel(nullptr, "NetGradient");
  panel.SetBounds(0, 0, 100, 30);
  panel.SetNumberOfColors(1);
  panel.SetBeginColor(clBlue);
  Font font = panel.Font();
  font.color = clYellow;
  panel.SetFont(font);
  panel.SetCaption("HI");
  auto picture = PaintToRaster(panel);
  const auto& raster = picture->Raster();
  ASSERT_EQ(raster.Texts().size(), 1u);
  EXPECT_EQ(raster.Texts()[0].point, (Point{12, 5}));
  EXPECT_TRUE(raster.Texts()[0].font.Bold());
  // The built-in font: 11 pixels high, advance 6, ink in columns 1..4 and rows 2..10 of a cell.
  EXPECT_EQ(ColorAt(raster, 12 + 1, 5 + 5), clYellow);
  EXPECT_EQ(ColorAt(raster, 12 + 5, 5 + 5), clBlue);  // between the letters
  EXPECT_EQ(ColorAt(raster, 12 + 1, 5 + 0), clBlue);  // above them
  SaveOnFailure(raster, "NetGradientCaption");
}

// A form with a screen and a counting peer: draws at once show up as the caption's text record
// on the screen (each draw writes the caption once), repaint requests on the peer.
class NetGradientAssignmentTest : public ::testing::Test {
 protected:
  NetGradientAssignmentTest() {
    form_.SetBounds(0, 0, 120, 60);
    form_.AttachPeer(std::make_unique<uitest::CountingPeer>(invalidates_));
    panel_.SetBounds(10, 10, 50, 20);
    screen_ = std::make_unique<headless::SoftScreen>(form_);
    invalidates_ = 0;
  }
  int Draws() const { return int(screen_->Raster().Texts().size()); }

  Form form_{"Form"};
  ui::TNetGradient panel_{&form_, "NetGradient"};
  int invalidates_ = 0;
  std::unique_ptr<headless::SoftScreen> screen_;
};

TEST_F(NetGradientAssignmentTest, ColoursDrawAtOnceAndRepaintEvenWhenUnchanged) {
  panel_.SetBeginColor(panel_.BeginColor());
  EXPECT_EQ(Draws(), 1);
  EXPECT_EQ(invalidates_, 1);
  panel_.SetEndColor(clRed);
  EXPECT_EQ(Draws(), 2);
  EXPECT_EQ(invalidates_, 2);
  panel_.SetBeginColor(clRed);
  // Drawn within the panel only, in its own coordinates.
  EXPECT_EQ(FromPixel(screen_->Raster().At(59, 15)), clRed);
  EXPECT_EQ(screen_->Raster().At(60, 15) & kPixelRgbMask, 0x00FFFFFFu);
  EXPECT_EQ(screen_->Raster().At(9, 15) & kPixelRgbMask, 0x00FFFFFFu);
}

TEST_F(NetGradientAssignmentTest, UnchangedDirectionDoesNothing) {
  panel_.SetFillDirection(ui::fdLeftToRight);
  EXPECT_EQ(Draws(), 0);
  EXPECT_EQ(invalidates_, 0);
  panel_.SetFillDirection(ui::fdTopToBottom);
  EXPECT_EQ(Draws(), 1);
  EXPECT_EQ(invalidates_, 1);
}

TEST_F(NetGradientAssignmentTest, CountAndAutoSizeOnlyRequestARepaint) {
  panel_.SetNumberOfColors(7);
  panel_.SetAutoSize(true);
  EXPECT_EQ(Draws(), 0);
  EXPECT_EQ(invalidates_, 2);
  panel_.SetNumberOfColors(0);
  EXPECT_EQ(panel_.NumberOfColors(), 7);
}

TEST_F(NetGradientAssignmentTest, CaptionAndTextPlaceDrawAtOnceOnly) {
  panel_.SetCaption("x");
  panel_.SetTextTop(2);
  panel_.SetTextLeft(3);
  EXPECT_EQ(Draws(), 3);
  EXPECT_EQ(invalidates_, 0);
  EXPECT_EQ(screen_->Raster().Texts().back().point, (Point{3, 2}));
}

TEST_F(NetGradientAssignmentTest, FontIsCopiedAndDrawnButItsOwnObjectChangesNothing) {
  panel_.SetFont(panel_.Font());
  EXPECT_EQ(Draws(), 0);
  Font other;
  other.height = 20;
  panel_.SetFont(other);
  EXPECT_EQ(Draws(), 1);
  EXPECT_EQ(invalidates_, 0);
  EXPECT_EQ(panel_.Font().height, 20);
  panel_.Font().height = 30;  // no notification
  EXPECT_EQ(Draws(), 1);
  EXPECT_EQ(invalidates_, 0);
}

TEST(NetGradientWindowlessTest, PanelWithoutAWindowSkipsTheImmediateDraw) {
  ui::TNetGradient panel(nullptr, "NetGradient");
  panel.SetBeginColor(clRed);
  panel.SetCaption("skipped");
  EXPECT_EQ(panel.BeginColor(), clRed);
}

}  // namespace
