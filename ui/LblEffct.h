// TLabelEffect: a windowless label that writes its caption with a three-dimensional effect: a
// shadow and a highlight copy of the text offset in one of eight directions, drawn as a plain
// copy, an extrusion, a colour-graduated extrusion or a translucent darkening/lightening of what
// lies beneath; a face that may carry a colour gradient; text turned by an angle (glyphs turned,
// or upright letters along a slanted line); and push-button behaviour. Presets (EffectStyle) and
// colour schemes (ColourScheme) set several properties at once, through the same setters.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Canvas.h"
#include "toolkit/Controls.h"

namespace ui {

enum TEffectStyle : std::uint8_t { esNone, esCustom, esRaised, esSunken, esShadow, esFlying };
enum TColourScheme : std::uint8_t { csCustom, csText, csWindows, csEmbossed, csGold, csSteel };
enum TEffectDirection : std::uint8_t {
  edNone,
  edUp,
  edUpRight,
  edRight,
  edDownRight,
  edDown,
  edDownLeft,
  edLeft,
  edUpLeft
};
enum TEffectOption : std::uint8_t { eoNormal, eoReal, eoExtrude, eoGraduated };
enum TGraduateOption : std::uint8_t { goNone, goVertical, goHorizontal };
enum TAlignmentY : std::uint8_t { ayTop, ayCenter, ayBottom };
using TEffectDepth = std::uint8_t;  // 0..10
using TAngleRange = std::uint16_t;  // 0..360 degrees
inline constexpr int kMaxEffectDepth = 10;
inline constexpr int kMaxAngle = 360;

struct DirectionOffset {
  int dx;
  int dy;
};
// Pixels per unit of depth, x to the right and y downwards, indexed by TEffectDirection.
inline constexpr std::array<DirectionOffset, 9> kDirectionOffsets = {{
    {0, 0},    // edNone
    {0, -1},   // edUp
    {1, -1},   // edUpRight
    {1, 0},    // edRight
    {1, 1},    // edDownRight
    {0, 1},    // edDown
    {-1, 1},   // edDownLeft
    {-1, 0},   // edLeft
    {-1, -1},  // edUpLeft
}};

struct SchemeColours {
  toolkit::TColor highlight;
  toolkit::TColor shadow;
  toolkit::TColor face;
  friend bool operator==(const SchemeColours&, const SchemeColours&) = default;
};

// The fixed schemes, indexed by TColourScheme; the csCustom entry is where a label's own custom
// row starts.
inline constexpr std::array<SchemeColours, 6> kSchemeColours = {{
    {toolkit::clWhite, toolkit::clBlack, toolkit::clGray},    // csCustom (initial)
    {toolkit::clWhite, toolkit::clGray, toolkit::clBlack},    // csText
    {toolkit::clWhite, toolkit::clBlack, toolkit::clGray},    // csWindows
    {toolkit::clWhite, toolkit::clBlack, toolkit::clSilver},  // csEmbossed
    {toolkit::clYellow, toolkit::clBlack, toolkit::clOlive},  // csGold
    {toolkit::clAqua, toolkit::clNavy, toolkit::clTeal},      // csSteel
}};

// Sets the canvas font's escapement to `angle` degrees (counter-clockwise); the backend then asks
// for a TrueType outline, the only kind the platform turns.
void ApplyFontAngle(toolkit::Canvas& canvas, int angle);

// The colour a graduated face is first drawn in, to be recoloured stripe by stripe: one that is
// neither end of the gradient, so that no stripe colour is mistaken for the key.
toolkit::TColor FaceKeyColour(toolkit::TColor graduateFrom, toolkit::TColor face);

class TLabelEffect : public toolkit::GraphicControl {
 public:
  TLabelEffect(toolkit::Control* parent, std::string name);

  // The label's own properties. Each setter does nothing when the value is unchanged.
  TAlignmentY AlignmentY() const { return alignmentY_; }
  void SetAlignmentY(TAlignmentY value);
  TEffectDepth DepthHighlight() const { return depthHighlight_; }
  void SetDepthHighlight(TEffectDepth value);
  TEffectDepth DepthShadow() const { return depthShadow_; }
  void SetDepthShadow(TEffectDepth value);
  TEffectDirection DirectionHighlight() const { return directionHighlight_; }
  void SetDirectionHighlight(TEffectDirection value);
  TEffectDirection DirectionShadow() const { return directionShadow_; }
  void SetDirectionShadow(TEffectDirection value);
  toolkit::TColor ColourHighlight() const { return colourHighlight_; }
  void SetColourHighlight(toolkit::TColor value);
  toolkit::TColor ColourShadow() const { return colourShadow_; }
  void SetColourShadow(toolkit::TColor value);
  TGraduateOption GraduateFace() const { return graduateFace_; }
  void SetGraduateFace(TGraduateOption value);
  toolkit::TColor GraduateFrom() const { return graduateFrom_; }
  void SetGraduateFrom(toolkit::TColor value);
  TEffectOption StyleHighlight() const { return styleHighlight_; }
  void SetStyleHighlight(TEffectOption value);
  TEffectOption StyleShadow() const { return styleShadow_; }
  void SetStyleShadow(TEffectOption value);
  TEffectStyle EffectStyle() const { return effectStyle_; }
  void SetEffectStyle(TEffectStyle value);
  TColourScheme ColourScheme() const { return colourScheme_; }
  void SetColourScheme(TColourScheme value);
  bool AsButton() const { return asButton_; }
  void SetAsButton(bool value);
  TAngleRange Angle() const { return angle_; }
  void SetAngle(TAngleRange value);
  bool KeepLettersVertical() const { return keepLettersVertical_; }
  void SetKeepLettersVertical(bool value);

  // What the label control underneath provides.
  toolkit::TAlignment Alignment() const { return alignment_; }
  void SetAlignment(toolkit::TAlignment value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value) { autoSize_ = value; }
  // Stored for the label's users; the effect drawing always breaks words and shows prefixes.
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value) { wordWrap_ = value; }
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value) { showAccelChar_ = value; }

  const SchemeColours& CustomSchemeColours() const { return schemes_[csCustom]; }
  // cos, sin and their squares of Angle, kept from the last assignment.
  struct AngleCache {
    double cos = 1;
    double sin = 0;
    double cos2 = 1;
    double sin2 = 0;
  };
  const AngleCache& Trig() const { return trig_; }

  // Fired by the base mouse handling, which a button label skips.
  std::function<void(toolkit::TMouseButton, unsigned, int, int)> OnMouseDown;
  std::function<void(unsigned, int, int)> OnMouseMove;
  std::function<void(toolkit::TMouseButton, unsigned, int, int)> OnMouseUp;

  void Paint(toolkit::Canvas& canvas) override;
  void MouseDown(toolkit::TMouseButton button, unsigned shift, int x, int y) override;
  void MouseMove(unsigned shift, int x, int y) override;
  void MouseUp(toolkit::TMouseButton button, unsigned shift, int x, int y) override;

 private:
  // A depth, direction or vertical alignment changed outside a preset: the preset no longer holds.
  void LeavePreset();
  void SetFontColour(toolkit::TColor colour);
  bool InsideForButton(int x, int y) const;

  TAlignmentY alignmentY_ = ayCenter;
  TEffectDepth depthHighlight_ = 1;
  TEffectDepth depthShadow_ = 1;
  TEffectDirection directionHighlight_ = edUpLeft;
  TEffectDirection directionShadow_ = edDownRight;
  toolkit::TColor colourHighlight_ = toolkit::clWhite;
  toolkit::TColor colourShadow_ = toolkit::clBlack;
  TGraduateOption graduateFace_ = goNone;
  toolkit::TColor graduateFrom_ = toolkit::clGray;
  TEffectOption styleHighlight_ = eoNormal;
  TEffectOption styleShadow_ = eoNormal;
  TEffectStyle effectStyle_ = esRaised;
  TColourScheme colourScheme_ = csWindows;
  bool asButton_ = false;
  TAngleRange angle_ = 0;
  bool keepLettersVertical_ = false;

  toolkit::TAlignment alignment_ = toolkit::taLeftJustify;
  bool transparent_ = true;
  bool autoSize_ = false;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;

  std::array<SchemeColours, 6> schemes_ = kSchemeColours;
  // Off-screen bitmaps of the label's size that the last paint left white: the next paint of the
  // same size takes them instead of allocating and clearing new ones.
  std::vector<std::unique_ptr<toolkit::Bitmap>> spareBitmaps_;
  bool styleChanging_ = false;
  bool schemeChanging_ = false;
  AngleCache trig_;
};

}  // namespace ui
