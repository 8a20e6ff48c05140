// The background window as the headless backend shows it: the panel fills the client area with
// 255 bands from RGB (26, 92, 158) to white after creation, its stored caption is gone, and the
// title is drawn over the bands in the raised style at its fixed place.
#include <gtest/gtest.h>

#include "tests/ui/UiTestSupport.h"
#include "toolkit/headless/Headless.h"
#include "toolkit/headless/SoftHost.h"
#include "ui/Sfondo.h"

namespace {

using namespace toolkit;
using uitest::ColorAt;
using uitest::SaveOnFailure;

TEST(SfondoTest, CreationSetsTheGradientAndClearsTheCaption) {
  headless::Reset();
  ui::TSfondoDlg dialog;
  dialog.Create();
  EXPECT_EQ(dialog.Caption(), "Install v 5.0");
  EXPECT_EQ(dialog.WindowState(), wsMaximized);
  EXPECT_EQ(dialog.BorderIcons(), unsigned(biSystemMenu));
  EXPECT_EQ(dialog.Position(), poScreenCenter);
  EXPECT_EQ(dialog.NetGradient1.Caption(), "");
  EXPECT_EQ(dialog.NetGradient1.BeginColor(), Rgb(26, 92, 158));
  EXPECT_EQ(dialog.NetGradient1.EndColor(), clWhite);
  EXPECT_EQ(dialog.NetGradient1.FillDirection(), ui::fdTopToBottom);
  EXPECT_EQ(dialog.NetGradient1.Align(), alClient);
  EXPECT_EQ(dialog.LabelEffect1.BoundsRect(), (Rect{5, 4, 682, 37}));
  EXPECT_TRUE(dialog.LabelEffect1.Transparent());
  EXPECT_EQ(dialog.LabelEffect1.EffectStyle(), ui::esRaised);
}

TEST(SfondoTest, PictureIsTheGradientWithTheTitleOverIt) {
  headless::Reset();
  ui::TSfondoDlg dialog;
  dialog.Create();
  dialog.DoResize(800, 380);
  dialog.SetColor(clNavy);
  dialog.LabelEffect1.SetCaption("Tolvek per AutoCAD");
  ASSERT_EQ(dialog.NetGradient1.BoundsRect(), (Rect{0, 0, 800, 380}));
  auto picture = headless::PaintToRaster(dialog);
  const auto& raster = picture->Raster();
  EXPECT_EQ(ColorAt(raster, 700, 0), Rgb(26, 92, 158));
  EXPECT_EQ(ColorAt(raster, 0, 379), clWhite);
  EXPECT_EQ(ColorAt(raster, 799, 379), clWhite);
  // The title's letters: the grey face, with white above-left and black below-right.
  EXPECT_EQ(ColorAt(raster, 5 + 5, 4 + 15), clGray);
  EXPECT_EQ(ColorAt(raster, 5 + 1, 4 + 15), clWhite);
  EXPECT_EQ(ColorAt(raster, 5 + 14, 4 + 15), clBlack);
  // No caption from the panel and no window colour anywhere.
  for (const auto& text : raster.Texts()) EXPECT_NE(text.text, "TNetGradient");
  SaveOnFailure(raster, "Sfondo");
}

}  // namespace
