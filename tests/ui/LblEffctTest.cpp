// The effect label's properties: construction values, the presets and colour schemes with their
// two guards and the custom scheme row, which assignments request a repaint, the angle cache and
// the alignment an angle forces, and the push-button behaviour.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/ui/UiTestSupport.h"
#include "toolkit/Forms.h"
#include "ui/LblEffct.h"

namespace {

using namespace toolkit;
using namespace ui;

class LblEffctTest : public ::testing::Test {
 protected:
  LblEffctTest() {
    form_.SetBounds(0, 0, 300, 100);
    form_.AttachPeer(std::make_unique<uitest::CountingPeer>(invalidates_));
    invalidates_ = 0;
  }
  Form form_{"Form"};
  TLabelEffect label_{&form_, "LabelEffect"};
  int invalidates_ = 0;
};

TEST_F(LblEffctTest, ConstructionValues) {
  EXPECT_EQ(label_.AlignmentY(), ayCenter);
  EXPECT_EQ(label_.DepthHighlight(), 1);
  EXPECT_EQ(label_.DepthShadow(), 1);
  EXPECT_EQ(label_.DirectionHighlight(), edUpLeft);
  EXPECT_EQ(label_.DirectionShadow(), edDownRight);
  EXPECT_EQ(label_.ColourHighlight(), clWhite);
  EXPECT_EQ(label_.ColourShadow(), clBlack);
  EXPECT_EQ(label_.GraduateFace(), goNone);
  EXPECT_EQ(label_.GraduateFrom(), clGray);
  EXPECT_EQ(label_.StyleHighlight(), eoNormal);
  EXPECT_EQ(label_.StyleShadow(), eoNormal);
  EXPECT_EQ(label_.EffectStyle(), esRaised);
  EXPECT_EQ(label_.ColourScheme(), csWindows);
  EXPECT_FALSE(label_.AsButton());
  EXPECT_EQ(label_.Angle(), 0);
  EXPECT_FALSE(label_.KeepLettersVertical());
  EXPECT_EQ(label_.Alignment(), taLeftJustify);
  EXPECT_FALSE(label_.AutoSize());
  EXPECT_TRUE(label_.Transparent());
  EXPECT_EQ(label_.Width(), 142);
  EXPECT_EQ(label_.Height(), 33);
  EXPECT_EQ(label_.GetFont().name, "Times New Roman");
  EXPECT_EQ(label_.GetFont().height, 27);
  EXPECT_EQ(label_.GetFont().color, clGray);
  EXPECT_EQ(label_.CustomSchemeColours(), (SchemeColours{clWhite, clBlack, clGray}));
  EXPECT_EQ(label_.Trig().cos, 1.0);
  EXPECT_EQ(label_.Trig().sin, 0.0);
}

TEST_F(LblEffctTest, DirectionOffsets) {
  EXPECT_EQ(kDirectionOffsets[edUp].dy, -1);
  EXPECT_EQ(kDirectionOffsets[edUpRight].dx, 1);
  EXPECT_EQ(kDirectionOffsets[edUpRight].dy, -1);
  EXPECT_EQ(kDirectionOffsets[edDownLeft].dx, -1);
  EXPECT_EQ(kDirectionOffsets[edDownLeft].dy, 1);
  EXPECT_EQ(kDirectionOffsets[edLeft].dx, -1);
  EXPECT_EQ(kDirectionOffsets[edLeft].dy, 0);
}

TEST_F(LblEffctTest, DepthChangeLeavesThePresetForCustom) {
  label_.SetColourHighlight(clYellow);  // now csCustom
  label_.SetColourScheme(csWindows);
  ASSERT_EQ(label_.ColourHighlight(), clWhite);
  label_.SetAsButton(true);
  label_.SetDepthShadow(3);
  EXPECT_EQ(label_.EffectStyle(), esCustom);
  EXPECT_FALSE(label_.AsButton());
  EXPECT_EQ(label_.ColourHighlight(), clWhite);
  EXPECT_EQ(label_.DirectionHighlight(), edUpLeft);
  EXPECT_EQ(label_.DirectionShadow(), edDownRight);
  EXPECT_EQ(label_.DepthShadow(), 3);
  EXPECT_EQ(label_.DepthHighlight(), 1);
}

TEST_F(LblEffctTest, CustomStyleResetsTheHighlightToTheScheme) {
  label_.SetEffectStyle(esCustom);
  label_.SetColourScheme(csGold);
  label_.SetColourHighlight(clRed);  // csCustom, style stays custom
  ASSERT_EQ(label_.EffectStyle(), esCustom);
  label_.SetAlignmentY(ayTop);  // already custom: nothing else changes
  EXPECT_EQ(label_.ColourHighlight(), clRed);
  label_.SetEffectStyle(esRaised);
  // The custom row's highlight is the current one.
  EXPECT_EQ(label_.ColourHighlight(), clRed);
}

TEST_F(LblEffctTest, Presets) {
  label_.SetEffectStyle(esNone);
  EXPECT_EQ(label_.DirectionHighlight(), edNone);
  EXPECT_EQ(label_.DirectionShadow(), edNone);
  EXPECT_EQ(label_.DepthHighlight(), 0);
  EXPECT_EQ(label_.DepthShadow(), 0);
  EXPECT_EQ(label_.EffectStyle(), esNone);

  label_.SetEffectStyle(esSunken);
  EXPECT_EQ(label_.DirectionHighlight(), edDownRight);
  EXPECT_EQ(label_.DirectionShadow(), edUpLeft);
  EXPECT_EQ(label_.DepthHighlight(), 1);
  EXPECT_EQ(label_.DepthShadow(), 1);

  label_.SetEffectStyle(esShadow);
  EXPECT_EQ(label_.DirectionHighlight(), edNone);
  EXPECT_EQ(label_.DirectionShadow(), edDownRight);
  EXPECT_EQ(label_.DepthHighlight(), 0);
  EXPECT_EQ(label_.DepthShadow(), 2);
  EXPECT_EQ(label_.EffectStyle(), esShadow);
  EXPECT_EQ(label_.ColourScheme(), csWindows);
}

TEST_F(LblEffctTest, FlyingTakesTheSchemeShadowAsHighlight) {
  label_.SetAsButton(true);
  label_.SetEffectStyle(esFlying);
  EXPECT_EQ(label_.ColourHighlight(), clBlack);
  EXPECT_EQ(label_.ColourScheme(), csWindows);
  EXPECT_EQ(label_.DirectionHighlight(), edDownRight);
  EXPECT_EQ(label_.DirectionShadow(), edDownRight);
  EXPECT_EQ(label_.DepthHighlight(), 1);
  EXPECT_EQ(label_.DepthShadow(), 5);
  EXPECT_FALSE(label_.AsButton());
}

TEST_F(LblEffctTest, GoldThenARedHighlightKeepsTheOliveFace) {
  label_.SetColourScheme(csGold);
  EXPECT_EQ(label_.ColourHighlight(), clYellow);
  EXPECT_EQ(label_.ColourShadow(), clBlack);
  EXPECT_EQ(label_.GetFont().color, clOlive);
  EXPECT_EQ(label_.CustomSchemeColours(), (SchemeColours{clYellow, clBlack, clOlive}));
  label_.SetColourHighlight(clRed);
  EXPECT_EQ(label_.ColourScheme(), csCustom);
  EXPECT_EQ(label_.GetFont().color, clOlive);
  EXPECT_EQ(label_.CustomSchemeColours(), (SchemeColours{clRed, clBlack, clOlive}));
}

TEST_F(LblEffctTest, CustomSchemeReplacesAFontColourSetDirectly) {
  Font font = label_.GetFont();
  font.color = clPurple;
  label_.SetFont(font);
  label_.SetColourShadow(clNavy);
  EXPECT_EQ(label_.ColourScheme(), csCustom);
  EXPECT_EQ(label_.GetFont().color, clGray);
  EXPECT_EQ(label_.CustomSchemeColours().shadow, clNavy);
}

TEST_F(LblEffctTest, SteelScheme) {
  label_.SetColourScheme(csSteel);
  EXPECT_EQ(label_.ColourHighlight(), clAqua);
  EXPECT_EQ(label_.ColourShadow(), clNavy);
  EXPECT_EQ(label_.GetFont().color, clTeal);
}

TEST_F(LblEffctTest, UnchangedValuesDoNothing) {
  label_.SetAlignmentY(ayCenter);
  label_.SetDepthShadow(1);
  label_.SetColourHighlight(clWhite);
  label_.SetAngle(0);
  label_.SetEffectStyle(esRaised);
  EXPECT_EQ(invalidates_, 0);
  EXPECT_EQ(label_.EffectStyle(), esRaised);
}

TEST_F(LblEffctTest, RepaintRequests) {
  label_.SetStyleShadow(eoReal);
  EXPECT_EQ(invalidates_, 1);
  label_.SetGraduateFrom(clRed);  // no gradient: no repaint
  EXPECT_EQ(invalidates_, 1);
  label_.SetGraduateFace(goVertical);
  label_.SetGraduateFrom(clBlue);
  EXPECT_EQ(invalidates_, 3);
  label_.SetKeepLettersVertical(true);  // angle 0: no repaint
  EXPECT_EQ(invalidates_, 3);
  label_.SetAngle(30);
  const int afterAngle = invalidates_;
  EXPECT_GT(afterAngle, 3);
  label_.SetKeepLettersVertical(false);
  EXPECT_EQ(invalidates_, afterAngle + 1);
}

TEST_F(LblEffctTest, OutOfRangeValuesAreRefused) {
  label_.SetDepthShadow(11);
  label_.SetAngle(361);
  EXPECT_EQ(label_.DepthShadow(), 1);
  EXPECT_EQ(label_.Angle(), 0);
  EXPECT_EQ(label_.EffectStyle(), esRaised);
}

TEST_F(LblEffctTest, AngleCacheAndForcedAlignment) {
  label_.SetAlignment(taCenter);
  label_.SetAngle(45);
  EXPECT_EQ(label_.Alignment(), taLeftJustify);
  EXPECT_DOUBLE_EQ(label_.Trig().cos, std::cos(M_PI / 4));
  EXPECT_DOUBLE_EQ(label_.Trig().sin2, std::sin(M_PI / 4) * std::sin(M_PI / 4));
  label_.SetAlignment(taRightJustify);
  label_.SetAngle(0);
  EXPECT_EQ(label_.Alignment(), taRightJustify);
  EXPECT_EQ(label_.Trig().cos, 1.0);
  EXPECT_EQ(label_.Trig().sin, 0.0);
}

TEST_F(LblEffctTest, ButtonSinksWhileHeldInside) {
  label_.SetAsButton(true);
  label_.MouseDown(mbLeft, ssLeft, 5, 5);
  EXPECT_EQ(label_.EffectStyle(), esSunken);
  label_.MouseMove(ssLeft, 143, 5);
  EXPECT_EQ(label_.EffectStyle(), esRaised);
  label_.MouseMove(ssLeft, 142, 33);  // the edges count as inside
  EXPECT_EQ(label_.EffectStyle(), esSunken);
  label_.MouseMove(ssLeft | ssShift, -1, 5);  // not the left button alone: ignored
  EXPECT_EQ(label_.EffectStyle(), esSunken);
  label_.MouseUp(mbLeft, 0, 5, 5);
  EXPECT_EQ(label_.EffectStyle(), esRaised);
  EXPECT_TRUE(label_.AsButton());
}

TEST_F(LblEffctTest, ButtonReleasedOutsideStaysRaised) {
  label_.SetAsButton(true);
  label_.MouseDown(mbLeft, ssLeft, 5, 5);
  label_.MouseMove(ssLeft, 200, 50);
  label_.MouseUp(mbLeft, 0, 200, 50);
  EXPECT_EQ(label_.EffectStyle(), esRaised);
}

TEST_F(LblEffctTest, RightButtonDoesNotSinkButItsReleaseRaises) {
  label_.SetAsButton(true);
  label_.MouseDown(mbRight, ssRight, 5, 5);
  EXPECT_EQ(label_.EffectStyle(), esRaised);
  label_.MouseDown(mbLeft, ssLeft, 5, 5);
  ASSERT_EQ(label_.EffectStyle(), esSunken);
  label_.MouseUp(mbRight, ssLeft, 5, 5);
  EXPECT_EQ(label_.EffectStyle(), esRaised);
}

TEST_F(LblEffctTest, DisabledButtonDoesNotSink) {
  label_.SetAsButton(true);
  label_.SetEnabled(false);
  label_.MouseDown(mbLeft, ssLeft, 5, 5);
  EXPECT_EQ(label_.EffectStyle(), esRaised);
}

TEST_F(LblEffctTest, ButtonSkipsTheBaseMouseEventsAndAPlainLabelFiresThem) {
  int events = 0;
  label_.OnMouseDown = [&](TMouseButton, unsigned, int, int) { ++events; };
  label_.OnMouseMove = [&](unsigned, int, int) { ++events; };
  label_.OnMouseUp = [&](TMouseButton, unsigned, int, int) { ++events; };
  label_.MouseDown(mbLeft, ssLeft, 1, 1);
  label_.MouseMove(ssLeft, 2, 2);
  label_.MouseUp(mbLeft, 0, 2, 2);
  EXPECT_EQ(events, 3);
  EXPECT_EQ(label_.EffectStyle(), esRaised);
  label_.SetAsButton(true);
  label_.MouseDown(mbLeft, ssLeft, 1, 1);
  label_.MouseMove(ssLeft, 2, 2);
  label_.MouseUp(mbLeft, 0, 2, 2);
  EXPECT_EQ(events, 3);
}

}  // namespace
