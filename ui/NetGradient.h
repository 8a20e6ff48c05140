// TNetGradient: a windowless panel filled with a stepped gradient of solid bands between two
// colours, with a one-line caption over it. The background window fills its client area with one.
// Assignments draw at once on the parent's surface or request a repaint, each property as the
// component has always done (some both, some only one): see the setters.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/Canvas.h"
#include "toolkit/Controls.h"

namespace ui {

enum TFillDirection : std::uint8_t { fdLeftToRight, fdRightToLeft, fdBottomToTop, fdTopToBottom };

// 1..255 bands.
using TNumberOfColors = std::uint8_t;

class TNetGradient : public toolkit::GraphicControl {
 public:
  TNetGradient(toolkit::Control* parent, std::string name);

  TFillDirection FillDirection() const { return fillDirection_; }
  void SetFillDirection(TFillDirection direction);
  toolkit::TColor BeginColor() const { return beginColor_; }
  void SetBeginColor(toolkit::TColor color);
  toolkit::TColor EndColor() const { return endColor_; }
  void SetEndColor(toolkit::TColor color);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  TNumberOfColors NumberOfColors() const { return numberOfColors_; }
  // 0 lies outside the range and is refused.
  void SetNumberOfColors(TNumberOfColors count);

  // The panel's own font object. Changing it directly draws nothing until the next paint.
  toolkit::Font& Font() { return font_; }
  // Copies another font's attributes and draws at once; the panel's own font changes nothing.
  void SetFont(const toolkit::Font& font);
  // The panel keeps its own caption: assigning it draws at once and requests no repaint.
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  int TextTop() const { return textTop_; }
  void SetTextTop(int top);
  int TextLeft() const { return textLeft_; }
  void SetTextLeft(int left);

  void Paint(toolkit::Canvas& canvas) override { DrawGradient(canvas); }
  void DrawGradient(toolkit::Canvas& canvas);

 private:
  // Draws on the parent's surface now; a panel not yet on a window is drawn by its first paint.
  void DrawAtOnce();

  TFillDirection fillDirection_ = fdLeftToRight;
  toolkit::TColor beginColor_ = toolkit::clGray;
  toolkit::TColor endColor_ = toolkit::clBtnFace;
  bool autoSize_ = false;
  TNumberOfColors numberOfColors_ = 255;
  toolkit::Font font_;
  std::string caption_;
  int textTop_ = 5;
  int textLeft_ = 12;
};

}  // namespace ui
