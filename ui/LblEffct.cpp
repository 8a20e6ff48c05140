#include "ui/LblEffct.h"

#include <cmath>
#include <numbers>

namespace ui {

using namespace toolkit;

TLabelEffect::TLabelEffect(Control* parent, std::string name)
    : GraphicControl(parent, std::move(name)) {
  SetBounds(Left(), Top(), 142, 33);
  toolkit::Font font = GetFont();
  font.name = "Times New Roman";
  font.height = 27;  // 20 points at 96 pixels per inch
  font.color = clGray;
  SetFont(font);
}

void TLabelEffect::LeavePreset() {
  if (!styleChanging_) SetEffectStyle(esCustom);
}

void TLabelEffect::SetFontColour(TColor colour) {
  toolkit::Font font = GetFont();
  font.color = colour;
  SetFont(font);
}

void TLabelEffect::SetAlignmentY(TAlignmentY value) {
  if (value == alignmentY_) return;
  alignmentY_ = value;
  LeavePreset();
  Invalidate();
}

void TLabelEffect::SetDepthHighlight(TEffectDepth value) {
  if (value == depthHighlight_ || value > kMaxEffectDepth) return;
  depthHighlight_ = value;
  LeavePreset();
  Invalidate();
}

void TLabelEffect::SetDepthShadow(TEffectDepth value) {
  if (value == depthShadow_ || value > kMaxEffectDepth) return;
  depthShadow_ = value;
  LeavePreset();
  Invalidate();
}

void TLabelEffect::SetDirectionHighlight(TEffectDirection value) {
  if (value == directionHighlight_) return;
  directionHighlight_ = value;
  LeavePreset();
  Invalidate();
}

void TLabelEffect::SetDirectionShadow(TEffectDirection value) {
  if (value == directionShadow_) return;
  directionShadow_ = value;
  LeavePreset();
  Invalidate();
}

void TLabelEffect::SetColourHighlight(TColor value) {
  if (value == colourHighlight_) return;
  colourHighlight_ = value;
  schemes_[csCustom].highlight = value;
  if (!schemeChanging_) SetColourScheme(csCustom);
  Invalidate();
}

void TLabelEffect::SetColourShadow(TColor value) {
  if (value == colourShadow_) return;
  colourShadow_ = value;
  schemes_[csCustom].shadow = value;
  if (!schemeChanging_) SetColourScheme(csCustom);
  Invalidate();
}

void TLabelEffect::SetGraduateFace(TGraduateOption value) {
  if (value == graduateFace_) return;
  graduateFace_ = value;
  Invalidate();
}

void TLabelEffect::SetGraduateFrom(TColor value) {
  if (value == graduateFrom_) return;
  graduateFrom_ = value;
  if (graduateFace_ != goNone) Invalidate();
}

void TLabelEffect::SetStyleHighlight(TEffectOption value) {
  if (value == styleHighlight_) return;
  styleHighlight_ = value;
  Invalidate();
}

void TLabelEffect::SetStyleShadow(TEffectOption value) {
  if (value == styleShadow_) return;
  styleShadow_ = value;
  Invalidate();
}

void TLabelEffect::SetEffectStyle(TEffectStyle value) {
  if (value == effectStyle_) return;
  // With both guards up, the setters below neither call the style custom nor the scheme custom.
  styleChanging_ = true;
  schemeChanging_ = true;
  effectStyle_ = value;
  SetColourHighlight(schemes_[colourScheme_].highlight);
  auto set = [this](TEffectDirection highlight, TEffectDirection shadow, TEffectDepth depthH,
                    TEffectDepth depthS) {
    SetDirectionHighlight(highlight);
    SetDirectionShadow(shadow);
    SetDepthHighlight(depthH);
    SetDepthShadow(depthS);
  };
  switch (value) {
    case esNone:
      set(edNone, edNone, 0, 0);
      SetAsButton(false);
      break;
    case esCustom:
      SetAsButton(false);
      break;
    case esRaised:
      set(edUpLeft, edDownRight, 1, 1);
      break;
    case esSunken:
      set(edDownRight, edUpLeft, 1, 1);
      break;
    case esShadow:
      set(edNone, edDownRight, 0, 2);
      SetAsButton(false);
      break;
    case esFlying:
      set(edDownRight, edDownRight, 1, 5);
      SetColourHighlight(schemes_[colourScheme_].shadow);
      SetAsButton(false);
      break;
  }
  styleChanging_ = false;
  schemeChanging_ = false;
}

void TLabelEffect::SetColourScheme(TColourScheme value) {
  if (value == colourScheme_) return;
  schemeChanging_ = true;
  colourScheme_ = value;
  SetColourHighlight(schemes_[value].highlight);
  SetFontColour(schemes_[value].face);
  SetColourShadow(schemes_[value].shadow);
  if (value != csCustom) schemes_[csCustom] = schemes_[value];
  schemeChanging_ = false;
}

void TLabelEffect::SetAsButton(bool value) {
  if (value == asButton_) return;
  asButton_ = value;
  if (value) SetEffectStyle(esRaised);
}

void TLabelEffect::SetAngle(TAngleRange value) {
  if (value == angle_ || value > kMaxAngle) return;
  angle_ = value;
  const double radians = value * (std::numbers::pi / 180.0);
  trig_.cos = std::cos(radians);
  trig_.sin = std::sin(radians);
  trig_.cos2 = trig_.cos * trig_.cos;
  trig_.sin2 = trig_.sin * trig_.sin;
  // Turned text is placed from its start; the other alignments have no meaning for it.
  if (value != 0) SetAlignment(taLeftJustify);
  Invalidate();
}

void TLabelEffect::SetKeepLettersVertical(bool value) {
  if (value == keepLettersVertical_) return;
  keepLettersVertical_ = value;
  if (angle_ != 0) Invalidate();
}

void TLabelEffect::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Invalidate();
}

void TLabelEffect::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Invalidate();
}

// The pointer counts as inside on the label's right and bottom edges too.
bool TLabelEffect::InsideForButton(int x, int y) const {
  return x >= 0 && x <= Width() && y >= 0 && y <= Height();
}

void TLabelEffect::MouseDown(TMouseButton button, unsigned shift, int x, int y) {
  if (!asButton_) {
    if (OnMouseDown) OnMouseDown(button, shift, x, y);
    return;
  }
  if (button == mbLeft && effectStyle_ != esSunken && Enabled()) SetEffectStyle(esSunken);
}

void TLabelEffect::MouseMove(unsigned shift, int x, int y) {
  if (!asButton_) {
    if (OnMouseMove) OnMouseMove(shift, x, y);
    return;
  }
  if (shift == ssLeft) SetEffectStyle(InsideForButton(x, y) ? esSunken : esRaised);
}

void TLabelEffect::MouseUp(TMouseButton button, unsigned shift, int x, int y) {
  if (!asButton_) {
    if (OnMouseUp) OnMouseUp(button, shift, x, y);
    return;
  }
  if (InsideForButton(x, y)) SetEffectStyle(esRaised);
}

void ApplyFontAngle(Canvas& canvas, int angle) {
  toolkit::Font font = canvas.GetFont();
  font.escapement = angle * 10;
  canvas.SetFont(font);
}

}  // namespace ui
