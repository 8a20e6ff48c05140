// The effect label's paint pipeline against the headless canvas, whose built-in font has fixed
// metrics (toolkit/headless/SoftFont.h): for "Times New Roman" 27 pixels the advance is 14, the
// text height 31, and a letter's ink covers columns 1..12 and rows 5..26 of its cell. The text
// records give the exact rectangles and points of every copy; pixel checks cover the translucent
// passes, the face gradient and the background.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "tests/ui/UiTestSupport.h"
#include "toolkit/Forms.h"
#include "toolkit/headless/SoftHost.h"
#include "ui/LblEffct.h"

namespace {

using namespace toolkit;
using namespace ui;
using headless::PaintToRaster;
using headless::TextRecord;
using uitest::ColorAt;
using uitest::SaveOnFailure;

constexpr unsigned kFlatFormat = tfWordBreak | tfExpandTabs;

// A window of one plain colour with the label on it, painted as the backend paints it.
struct Scene {
  explicit Scene(TColor background, int width = 700, int height = 60) {
    form.SetBounds(0, 0, width, height);
    form.SetColor(background);
  }
  std::unique_ptr<headless::SoftBitmap> Paint() { return PaintToRaster(form); }
  Form form{"Form"};
  TLabelEffect label{&form, "LabelEffect"};
};

TEST(LblEffctPaintTest, InstallerTitleIsThreeCopies) {
  TLabelEffect label(nullptr, "LabelEffect1");
  label.SetBounds(5, 4, 677, 33);
  label.SetCaption("Tolvek per AutoCAD");
  auto picture = PaintToRaster(label);
  const auto& texts = picture->Raster().Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].rect, (Rect{2, 3, 679, 35}));
  EXPECT_EQ(texts[0].color, clBlack);
  EXPECT_EQ(texts[1].rect, (Rect{0, 1, 677, 33}));
  EXPECT_EQ(texts[1].color, clWhite);
  EXPECT_EQ(texts[2].rect, (Rect{1, 2, 678, 34}));
  EXPECT_EQ(texts[2].color, clGray);
  for (const TextRecord& t : texts) {
    EXPECT_EQ(t.kind, TextRecord::kDrawText);
    EXPECT_EQ(t.format, kFlatFormat);
    EXPECT_EQ(t.text, "Tolvek per AutoCAD");
  }
}

TEST(LblEffctPaintTest, TransparentTitlePaintsNothingButItsLetters) {
  Scene scene(clTeal);
  scene.label.SetBounds(5, 4, 677, 33);
  scene.label.SetCaption("Tolvek");
  auto picture = scene.Paint();
  const auto& raster = picture->Raster();
  EXPECT_EQ(ColorAt(raster, 5, 4), clTeal);
  EXPECT_EQ(ColorAt(raster, 600, 20), clTeal);
  // Face at (1, 2) in the label: the first letter's ink starts at column 2, row 7.
  EXPECT_EQ(ColorAt(raster, 5 + 5, 4 + 15), clGray);
  // The highlight alone shows one pixel up and left of the face's ink, the shadow down and right.
  EXPECT_EQ(ColorAt(raster, 5 + 1, 4 + 15), clWhite);
  EXPECT_EQ(ColorAt(raster, 5 + 14, 4 + 15), clBlack);
  SaveOnFailure(raster, "LabelTitle");
}

TEST(LblEffctPaintTest, NoneDrawsAllCopiesUnderTheFace) {
  Scene scene(clTeal);
  scene.label.SetCaption("Ab");
  scene.label.SetEffectStyle(esNone);
  auto picture = PaintToRaster(scene.label);
  const auto& texts = picture->Raster().Texts();
  ASSERT_EQ(texts.size(), 3u);
  for (const TextRecord& t : texts) EXPECT_EQ(t.rect, (Rect{0, 1, 142, 33}));
  EXPECT_EQ(texts[2].color, clGray);
}

TEST(LblEffctPaintTest, FlyingWithWindowsColours) {
  TLabelEffect label(nullptr, "LabelEffect");
  label.SetCaption("Fly");
  label.SetEffectStyle(esFlying);
  auto picture = PaintToRaster(label);
  const auto& texts = picture->Raster().Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].rect, (Rect{5, 6, 147, 38}));  // shadow at (5, 5); v is 1, no shift
  EXPECT_EQ(texts[0].color, clBlack);
  EXPECT_EQ(texts[1].rect, (Rect{1, 2, 143, 34}));  // highlight at (1, 1)
  EXPECT_EQ(texts[1].color, clBlack);
  EXPECT_EQ(texts[2].rect, (Rect{0, 1, 142, 33}));
}

TEST(LblEffctPaintTest, GraduatedShadowRunsFromShadowToFace) {
  TLabelEffect label(nullptr, "LabelEffect");
  label.SetCaption("G");
  label.SetStyleShadow(eoGraduated);
  label.SetDepthShadow(3);
  auto picture = PaintToRaster(label);
  const auto& texts = picture->Raster().Texts();
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0].color, Rgb(0, 0, 0));
  EXPECT_EQ(texts[0].rect.left, 1 + 3);
  EXPECT_EQ(texts[1].color, Rgb(64, 64, 64));
  EXPECT_EQ(texts[1].rect.left, 1 + 2);
  EXPECT_EQ(texts[2].color, Rgb(128, 128, 128));
  EXPECT_EQ(texts[2].rect.left, 1 + 1);
}

TEST(LblEffctPaintTest, ExtrusionDrawsEveryDepthInOneColour) {
  TLabelEffect label(nullptr, "LabelEffect");
  label.SetCaption("E");
  label.SetStyleShadow(eoExtrude);
  label.SetDepthShadow(4);
  auto picture = PaintToRaster(label);
  const auto& texts = picture->Raster().Texts();
  ASSERT_EQ(texts.size(), 6u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(texts[i].color, clBlack);
    EXPECT_EQ(texts[i].rect.left, 1 + 4 - i);
  }
}

TEST(LblEffctPaintTest, RealShadowAndHighlightDarkenAndLightenWhatLiesBeneath) {
  const TColor under = Rgb(200, 100, 50);
  Scene scene(under, 200, 40);
  scene.label.SetCaption("X");
  scene.label.SetStyleShadow(eoReal);
  scene.label.SetStyleHighlight(eoReal);
  auto picture = scene.Paint();
  const auto& raster = picture->Raster();
  // Face ink columns 2..13, shadow 3..14, highlight 1..12; rows overlap at 20.
  EXPECT_EQ(ColorAt(raster, 14, 20), Rgb(100, 50, 25));
  EXPECT_EQ(ColorAt(raster, 1, 20), Rgb(227, 177, 152));
  EXPECT_EQ(ColorAt(raster, 7, 20), clGray);
  EXPECT_EQ(ColorAt(raster, 40, 20), under);
  // Nothing was written in black or white: both copies went only into the off-screen bitmap.
  for (const TextRecord& t : raster.Texts()) EXPECT_EQ(t.color, clGray);
  SaveOnFailure(raster, "LabelReal");
}

TEST(LblEffctPaintTest, RealShadowAloneDarkensAndTheHighlightStaysACopy) {
  const TColor under = Rgb(200, 100, 50);
  Scene scene(under, 200, 40);
  scene.label.SetCaption("X");
  scene.label.SetStyleShadow(eoReal);
  auto picture = scene.Paint();
  EXPECT_EQ(ColorAt(picture->Raster(), 14, 20), Rgb(100, 50, 25));
  EXPECT_EQ(ColorAt(picture->Raster(), 1, 20), clWhite);
  SaveOnFailure(picture->Raster(), "LabelRealShadow");
}

TEST(LblEffctPaintTest, RealHighlightAloneLightensOverANormalShadow) {
  const TColor under = Rgb(200, 100, 50);
  Scene scene(under, 200, 40);
  scene.label.SetCaption("X");
  scene.label.SetStyleHighlight(eoReal);
  scene.label.SetDirectionShadow(edUpLeft);  // the shadow copy lies under the highlight
  auto picture = scene.Paint();
  // The highlight lightens the black shadow copy beneath it: (0 + 255) / 2.
  EXPECT_EQ(ColorAt(picture->Raster(), 1, 20), Rgb(127, 127, 127));
  EXPECT_EQ(ColorAt(picture->Raster(), 40, 20), under);
  SaveOnFailure(picture->Raster(), "LabelRealHighlight");
}

// A label keeps the off-screen bitmaps of one paint for the next. Whatever the last paint left in
// them (a clipped paint that never reached part of a mask, a face gradient that copied the surface
// in, another size), a later paint must look exactly as a fresh label's.
TEST(LblEffctPaintTest, RepaintsLookAsTheFirstPaintOfAFreshLabel) {
  struct Setup {
    TEffectOption shadow;
    TEffectOption highlight;
    TGraduateOption face;
  };
  const Setup setups[] = {{eoReal, eoReal, goNone},       {eoReal, eoNormal, goNone},
                          {eoNormal, eoReal, goNone},     {eoReal, eoReal, goHorizontal},
                          {eoReal, eoNormal, goVertical}, {eoExtrude, eoReal, goHorizontal}};
  auto configure = [](TLabelEffect& label, const Setup& setup, int width) {
    label.SetBounds(0, 0, width, 40);
    label.SetCaption("Tolvek per AutoCAD");
    label.SetStyleShadow(setup.shadow);
    label.SetStyleHighlight(setup.highlight);
    label.SetGraduateFace(setup.face);
    label.SetGraduateFrom(clYellow);
  };
  // Every pixel of the background differs, so that a pass in the wrong place shows.
  auto paint = [](TLabelEffect& label, const Rect& clip) {
    auto raster = std::make_unique<headless::SoftRaster>(320, 50);
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 320; ++x) raster->Set(x, y, Pixel32(x * 0x000301 + y * 0x050000));
    headless::SoftCanvas canvas(*raster, Point{0, 0}, clip);
    label.Paint(canvas);
    return raster;
  };
  const Rect whole{0, 0, 320, 50};
  const Rect part{40, 10, 120, 30};
  TLabelEffect reused(nullptr, "Reused");
  int n = 0;
  for (const Setup& setup : setups) {
    for (int width : {300, 300, 280}) {
      configure(reused, setup, width);
      paint(reused, part);
      auto again = paint(reused, whole);
      TLabelEffect fresh(nullptr, "Fresh");
      configure(fresh, setup, width);
      auto first = paint(fresh, whole);
      EXPECT_TRUE(std::ranges::equal(again->Pixels(), first->Pixels()))
          << "setup " << n << ", width " << width;
      SaveOnFailure(*again, "LabelRepaint" + std::to_string(n));
    }
    ++n;
  }
}

TEST(LblEffctPaintTest, FaceKeyAvoidsBothGradientEnds) {
  EXPECT_EQ(FaceKeyColour(clGray, clGray), clRed);
  EXPECT_EQ(FaceKeyColour(clRed, clOlive), clGreen);
  EXPECT_EQ(FaceKeyColour(clOlive, clRed), clGreen);
  EXPECT_EQ(FaceKeyColour(clRed, clGreen), clBlue);
  EXPECT_EQ(FaceKeyColour(clGreen, clRed), clBlue);
}

TEST(LblEffctPaintTest, GraduatedFaceIsKeyedAndRecoloured) {
  Scene scene(clTeal, 200, 40);
  scene.label.SetCaption("AB");
  scene.label.SetGraduateFace(goHorizontal);
  scene.label.SetGraduateFrom(clRed);
  scene.label.SetColourScheme(csGold);  // face olive: the key is green
  auto picture = scene.Paint();
  const auto& raster = picture->Raster();
  // Stripes start at column 1 (the shift) and end at the text width 28 - 1.
  const double step[3] = {(0x80 - 255) / 27.0, 0x80 / 27.0, 0.0};
  auto stripe = [&](int c) {
    return Rgb(255 + int(std::nearbyint(c * step[0])), int(std::nearbyint(c * step[1])), 0);
  };
  EXPECT_EQ(ColorAt(raster, 2, 20), stripe(1));
  EXPECT_EQ(ColorAt(raster, 20, 20), stripe(19));
  EXPECT_EQ(ColorAt(raster, 40, 20), clTeal);  // beyond the text
  const auto& texts = raster.Texts();
  ASSERT_EQ(texts.size(), 2u);  // the face went to the bitmap in the key colour
  SaveOnFailure(raster, "LabelFaceGradient");
}

TEST(LblEffctPaintTest, VerticalFaceGradientCoversOneLine) {
  Scene scene(clBlack, 200, 40);
  scene.label.SetCaption("I");
  scene.label.SetEffectStyle(esNone);
  scene.label.SetGraduateFace(goVertical);
  scene.label.SetGraduateFrom(clWhite);
  auto picture = scene.Paint();
  // O = v = 1, f = 30: row 1 + c has white + Nearest(c × (128 - 255) / 30).
  const int row = 20;
  const int c = row - 1;
  const int value = 255 + int(std::nearbyint(c * (128 - 255) / 30.0));
  EXPECT_EQ(ColorAt(picture->Raster(), 5, row), Rgb(value, value, value));
  SaveOnFailure(picture->Raster(), "LabelFaceVertical");
}

TEST(LblEffctPaintTest, UprightLettersStandOneAboveTheOther) {
  TLabelEffect label(nullptr, "LabelEffect");
  label.SetBounds(0, 0, 200, 200);
  label.SetCaption("ABC");
  label.SetKeepLettersVertical(true);
  label.SetAngle(90);
  auto picture = PaintToRaster(label);
  const auto& texts = picture->Raster().Texts();
  ASSERT_EQ(texts.size(), 9u);
  // Face: t = 10, u = 10 + 62; letters 31 apart, the first at the bottom; shift 1.
  EXPECT_EQ(texts[6].text, "A");
  EXPECT_EQ(texts[6].point, (Point{11, 73}));
  EXPECT_EQ(texts[7].point, (Point{11, 42}));
  EXPECT_EQ(texts[8].text, "C");
  EXPECT_EQ(texts[8].point, (Point{11, 11}));
  EXPECT_EQ(texts[8].font.escapement, 0);
  EXPECT_EQ(texts[0].point, (Point{12, 74}));  // shadow of "A"
}

// A letter is a character, not a byte: the caption is UTF-8, and a letter of two or three bytes
// ("\xC5\x81", "\xE2\x82\xAC") stands whole where a one-byte letter would, never split.
TEST(LblEffctPaintTest, UprightLettersBeyondAsciiStandWhole) {
  const auto upright = [](const char* caption) {
    TLabelEffect label(nullptr, "LabelEffect");
    label.SetBounds(0, 0, 200, 200);
    label.SetCaption(caption);
    label.SetKeepLettersVertical(true);
    label.SetAngle(90);
    return PaintToRaster(label)->Raster().Texts();
  };
  const auto ascii = upright("ABC");
  const auto beyond = upright("A\xC5\x81\xE2\x82\xAC");
  ASSERT_EQ(beyond.size(), 9u);
  ASSERT_EQ(ascii.size(), 9u);
  // Every drawing of the caption, from its shadow to its face: each letter where "ABC" has it.
  const char* const letters[] = {"A", "\xC5\x81", "\xE2\x82\xAC"};
  for (std::size_t i = 0; i < beyond.size(); ++i) {
    EXPECT_EQ(beyond[i].text, letters[i % 3]) << i;
    EXPECT_EQ(beyond[i].point, ascii[i].point) << i;
  }
}

TEST(LblEffctPaintTest, TurnedTextIsCentredOnItsHalfWidth) {
  TLabelEffect label(nullptr, "LabelEffect");
  label.SetBounds(0, 0, 120, 120);
  label.SetCaption("ABC");
  label.SetAngle(90);
  auto picture = PaintToRaster(label);
  const auto& texts = picture->Raster().Texts();
  ASSERT_EQ(texts.size(), 3u);
  // W_t 42, H_t 31, c = 84 / 2: t = 42 - 15, u = 42 + 21; shifted by 1.
  EXPECT_EQ(texts[2].point, (Point{28, 64}));
  EXPECT_EQ(texts[2].font.escapement, 900);
  EXPECT_EQ(texts[2].kind, TextRecord::kTextOut);
}

TEST(LblEffctPaintTest, AmpersandsAreAPrefixOnlyWhenFlat) {
  TLabelEffect flat(nullptr, "Flat");
  flat.SetCaption("A&&B");
  auto flatPicture = PaintToRaster(flat);
  EXPECT_EQ(flatPicture->Raster().Texts().back().shown, "A&B");

  TLabelEffect turned(nullptr, "Turned");
  turned.SetCaption("A&&B");
  turned.SetAngle(30);
  auto turnedPicture = PaintToRaster(turned);
  EXPECT_EQ(turnedPicture->Raster().Texts().back().shown, "A&&B");

  Scene scene(clTeal, 200, 40);
  scene.label.SetCaption("&AB");
  scene.label.SetEffectStyle(esNone);
  auto picture = scene.Paint();
  EXPECT_EQ(picture->Raster().Texts().back().shown, "AB");
  // The underline of "A": row 27 of the line, which starts at v = 1.
  EXPECT_EQ(ColorAt(picture->Raster(), 0, 1 + 27), clGray);
  EXPECT_EQ(ColorAt(picture->Raster(), 14, 1 + 27), clTeal);
  SaveOnFailure(picture->Raster(), "LabelPrefix");
}

TEST(LblEffctPaintTest, DisabledLabelLooksTheSame) {
  Scene enabled(clTeal, 200, 40);
  enabled.label.SetCaption("Same");
  Scene disabled(clTeal, 200, 40);
  disabled.label.SetCaption("Same");
  disabled.label.SetEnabled(false);
  auto a = enabled.Paint();
  auto b = disabled.Paint();
  EXPECT_TRUE(std::ranges::equal(a->Raster().Pixels(), b->Raster().Pixels()));
  SaveOnFailure(b->Raster(), "LabelDisabled");
}

TEST(LblEffctPaintTest, OpaqueLabelFillsItsRectangle) {
  Scene scene(clTeal, 200, 40);
  scene.label.SetCaption("O");
  scene.label.SetTransparent(false);
  scene.label.SetColor(clYellow);
  auto picture = scene.Paint();
  EXPECT_EQ(ColorAt(picture->Raster(), 141, 32), clYellow);
  EXPECT_EQ(ColorAt(picture->Raster(), 142, 32), clTeal);
}

TEST(LblEffctPaintTest, OpaqueUprightLabelFillsTheHexagonAroundItsLetters) {
  Scene scene(clTeal, 200, 200);
  scene.label.SetBounds(0, 0, 200, 200);
  scene.label.SetCaption("AB");
  scene.label.SetTransparent(false);
  scene.label.SetColor(clYellow);
  scene.label.SetKeepLettersVertical(true);
  scene.label.SetAngle(90);
  auto picture = scene.Paint();
  // Box 1 from (8, 39), 14 + 6 by 31 + 6; box 2 from (8, 8): corners tl1 tl2 tr2 br2 br1 bl1.
  EXPECT_EQ(ColorAt(picture->Raster(), 9, 9), clYellow);
  EXPECT_EQ(ColorAt(picture->Raster(), 26, 74), clYellow);
  EXPECT_EQ(ColorAt(picture->Raster(), 30, 30), clTeal);
  EXPECT_EQ(ColorAt(picture->Raster(), 5, 5), clTeal);
  SaveOnFailure(picture->Raster(), "LabelUprightBackground");
}

TEST(LblEffctPaintTest, CentredAlignmentAndBottomAlignmentY) {
  TLabelEffect label(nullptr, "LabelEffect");
  label.SetCaption("C");
  label.SetAlignment(taCenter);
  label.SetAlignmentY(ayBottom);
  auto picture = PaintToRaster(label);
  const auto& texts = picture->Raster().Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[2].format, kFlatFormat | tfCenter);
  EXPECT_EQ(texts[2].rect, (Rect{1, 1 + 2, 143, 34}));  // v = 33 - 31
}

}  // namespace
