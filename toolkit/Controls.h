// Controls are plain C++ objects that own their properties. A setter stores the value, then tells
// the control's peer, if the backend gave it one: the Win32 backend mirrors each windowed control
// into a real child window; the headless backend gives none, so tests read the properties directly.
// Graphic (windowless) controls have no window in either backend: their parent paints them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Types.h"

namespace toolkit {

class Canvas;
class Form;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBevelCut { bvNone, bvLowered, bvRaised };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// What changed, so that a peer mirrors only that.
enum class Property {
  kBounds,
  kCaption,
  kFont,
  kColor,
  kVisible,
  kEnabled,
  kHint,
  kChecked,
  kProgress,
  kPicture,
  kContent,
  kAppearance,
};

// What a control is. Each control class reports its own kind (a class derived from one of them
// inherits it), so that a backend building a different window for each kind picks by a switch
// that names every kind, not by trying casts in an order.
enum class ControlKind {
  kForm,
  kPanel,
  kLabel,
  kRadioButton,
  kEdit,
  kDirectoryEdit,
  kSpeedButton,
  kProgressBar,
  kImage,
  kRichEdit,
  kGraphic,  // windowless: painted by its parent
};

class Control;

// The backend's side of a control.
class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  virtual void Changed(Property what) = 0;
  // A repaint request for part of the control (in its client coordinates), or all of it.
  virtual void Invalidate(const Rect* area) = 0;
  // Paints what is invalid now, before returning.
  virtual void Update() = 0;
  virtual void SetFocus() {}
};

class Control {
 public:
  Control(Control* parent, std::string name);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }
  Control* Parent() const { return parent_; }
  const std::vector<Control*>& Children() const { return children_; }
  Form* ParentForm();
  virtual ControlKind Kind() const = 0;
  // Windowed controls get a peer (a window on Win32); graphic controls are painted by the parent.
  bool IsWindowed() const { return Kind() != ControlKind::kGraphic; }

  // Position within the parent's client area.
  const Rect& BoundsRect() const { return bounds_; }
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.Width(); }
  int Height() const { return bounds_.Height(); }
  void SetBounds(int left, int top, int width, int height);
  void SetPosition(int left, int top) { SetBounds(left, top, Width(), Height()); }
  Rect ClientRect() const { return Rect{0, 0, Width(), Height()}; }
  // The part of the client area that aligned children share out.
  virtual Rect AlignRect() const { return ClientRect(); }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // A control takes its parent's font (and, for some kinds, its colour) until given its own.
  const Font& GetFont() const;
  void SetFont(const Font& font);
  TColor Color() const;
  void SetColor(TColor color);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int order) { tabOrder_ = order; }

  // A user's click. Runs OnClick through the application's handler of unhandled errors.
  virtual void Click();
  std::function<void()> OnClick;

  // Repaint requests, forwarded to the nearest peer.
  void Invalidate();
  void InvalidateRect(const Rect& area);
  // Paints what is invalid at once (the "repaint now" of the status line).
  void Repaint();

  ControlPeer* Peer() const { return peer_.get(); }
  void AttachPeer(std::unique_ptr<ControlPeer> peer) { peer_ = std::move(peer); }

  // Lays out aligned children in the order top, bottom, left, right, client, each group in the
  // order the children were created.
  void Realign();

  // Sets a property from the user's side (typing, clicking) without echoing it to the peer.
  void SetCaptionFromPeer(const std::string& caption) { caption_ = caption; }

 protected:
  void Changed(Property what);
  void SetParentColor(bool parentColor) { parentColor_ = parentColor; }

 private:
  std::string name_;
  Control* parent_;
  std::vector<Control*> children_;
  Rect bounds_;
  TAlign align_ = alNone;
  std::string caption_;
  Font font_;
  bool parentFont_ = true;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  std::string hint_;
  bool showHint_ = false;
  int tabOrder_ = -1;
  std::unique_ptr<ControlPeer> peer_;
};

class Panel : public Control {
 public:
  using Control::Control;
  ControlKind Kind() const override { return ControlKind::kPanel; }
  TBevelCut BevelOuter() const { return bevelOuter_; }
  int BevelWidth() const { return bevelWidth_; }
  void SetBevel(TBevelCut outer, TBevelCut inner, int width);
  Rect AlignRect() const override;

 private:
  TBevelCut bevelOuter_ = bvRaised;
  TBevelCut bevelInner_ = bvNone;
  int bevelWidth_ = 1;
};

// A text on its parent; sizes itself to its caption unless automatic sizing is off.
class Label : public Control {
 public:
  Label(Control* parent, std::string name);
  ControlKind Kind() const override { return ControlKind::kLabel; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

 private:
  bool transparent_ = false;
  bool autoSize_ = true;
  TAlignment alignment_ = taLeftJustify;
};

// Radio buttons form a group with the other radio buttons of the same parent.
class RadioButton : public Control {
 public:
  RadioButton(Control* parent, std::string name) : Control(parent, std::move(name)) {
    SetParentColor(true);
  }
  ControlKind Kind() const override { return ControlKind::kRadioButton; }
  bool Checked() const { return checked_; }
  // Checking one unchecks the others of its group.
  void SetChecked(bool checked);
  void Click() override;

 private:
  bool checked_ = false;
};

// A one-line edit box. Its caption is its text.
class Edit : public Control {
 public:
  Edit(Control* parent, std::string name);
  ControlKind Kind() const override { return ControlKind::kEdit; }
  const std::string& Text() const { return Caption(); }
  void SetText(const std::string& text) { SetCaption(text); }
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool ctl3D);
  void SetFocus();

 private:
  bool ctl3D_ = true;
};

// An edit box for a folder, with a browse button that opens the folder-selection dialog.
class DirectoryEdit : public Edit {
 public:
  using Edit::Edit;
  ControlKind Kind() const override { return ControlKind::kDirectoryEdit; }
  // The browse button: starts at the box's folder when it exists, else at the current drive's
  // root; confirming replaces the text, cancelling leaves it; the focus returns to the box.
  void Browse();
};

// A flat push button that never takes the keyboard focus.
class SpeedButton : public Control {
 public:
  SpeedButton(Control* parent, std::string name);
  ControlKind Kind() const override { return ControlKind::kSpeedButton; }
  bool Flat() const { return flat_; }
  void SetFlat(bool flat);

 private:
  bool flat_ = true;
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  ControlKind Kind() const override { return ControlKind::kProgressBar; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Step() const { return step_; }
  int Position() const { return position_; }
  void SetMin(int value);
  void SetMax(int value);
  void SetStep(int value);
  void SetPosition(int value);
  // The platform's stepping: adds the step; past the maximum it starts over from the minimum.
  void StepIt();

 private:
  int min_ = 0;
  int max_ = 100;
  int step_ = 10;
  int position_ = 0;
};

// A picture from the program's resources, drawn unscaled from its top-left corner.
class Image : public Control {
 public:
  Image(Control* parent, std::string name) : Control(parent, std::move(name)) {
    SetParentColor(true);
  }
  ControlKind Kind() const override { return ControlKind::kImage; }
  const std::string& Picture() const { return picture_; }
  void SetPicture(const std::string& resourceName);

 private:
  std::string picture_;
};

// A read-only rich-text box.
class RichEdit : public Control {
 public:
  using Control::Control;
  ControlKind Kind() const override { return ControlKind::kRichEdit; }
  // Loads a rich-text file through the file-system service; a file that cannot be read raises
  // "Cannot open file %s".
  void LoadFromFile(const std::string& path);
  const std::string& Content() const { return content_; }

 private:
  std::string content_;
};

// A windowless control: it borrows its parent's drawing surface and receives mouse events.
class GraphicControl : public Control {
 public:
  GraphicControl(Control* parent, std::string name) : Control(parent, std::move(name)) {
    SetParentColor(true);
  }
  ControlKind Kind() const override { return ControlKind::kGraphic; }
  // Draws the control with (0, 0) at its top-left corner.
  virtual void Paint(Canvas& canvas) = 0;
  virtual void MouseDown(TMouseButton, unsigned /*shift*/, int /*x*/, int /*y*/) {}
  virtual void MouseMove(unsigned /*shift*/, int /*x*/, int /*y*/) {}
  virtual void MouseUp(TMouseButton, unsigned /*shift*/, int /*x*/, int /*y*/) {}
};

// Where a control is shown: the nearest windowed control among its parents, whose window (or
// screen, headless) a graphic control draws on, and the control's top-left corner in that
// control's client coordinates. `window` is null for a control on no windowed control.
struct WindowedHost {
  Control* window = nullptr;
  Point origin;
};
WindowedHost FindWindowedHost(const Control& control);

// Shift-state bits passed with mouse events.
enum ShiftState : unsigned {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
};

}  // namespace toolkit
