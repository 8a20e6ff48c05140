#include "toolkit/Controls.h"

#include <algorithm>

#include "toolkit/Dialogs.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Forms.h"

namespace toolkit {

Control::Control(Control* parent, std::string name) : name_(std::move(name)), parent_(parent) {
  if (parent_ != nullptr) parent_->children_.push_back(this);
}

Control::~Control() {
  if (parent_ != nullptr) std::erase(parent_->children_, this);
}

Form* Control::ParentForm() {
  Control* c = this;
  while (c->parent_ != nullptr) c = c->parent_;
  return c->Kind() == ControlKind::kForm ? static_cast<Form*>(c) : nullptr;
}

WindowedHost FindWindowedHost(const Control& control) {
  WindowedHost host{nullptr, Point{control.Left(), control.Top()}};
  for (Control* parent = control.Parent(); parent != nullptr; parent = parent->Parent()) {
    if (parent->IsWindowed()) {
      host.window = parent;
      return host;
    }
    host.origin.x += parent->Left();
    host.origin.y += parent->Top();
  }
  return host;
}

void Control::SetBounds(int left, int top, int width, int height) {
  Rect r = toolkit::Bounds(left, top, width, height);
  if (r == bounds_) return;
  bounds_ = r;
  Changed(Property::kBounds);
  Realign();
}

void Control::SetAlign(TAlign align) {
  align_ = align;
  if (parent_ != nullptr) parent_->Realign();
}

void Control::Realign() {
  Rect free = AlignRect();
  auto place = [&](TAlign which) {
    for (Control* child : children_) {
      if (child->align_ != which || !child->visible_) continue;
      Rect r = child->bounds_;
      switch (which) {
        case alTop:
          r = Rect{free.left, free.top, free.right, free.top + child->Height()};
          free.top = r.bottom;
          break;
        case alBottom:
          r = Rect{free.left, free.bottom - child->Height(), free.right, free.bottom};
          free.bottom = r.top;
          break;
        case alLeft:
          r = Rect{free.left, free.top, free.left + child->Width(), free.bottom};
          free.left = r.right;
          break;
        case alRight:
          r = Rect{free.right - child->Width(), free.top, free.right, free.bottom};
          free.right = r.left;
          break;
        case alClient:
          r = free;
          break;
        case alNone:
          break;
      }
      if (!(r == child->bounds_)) {
        child->bounds_ = r;
        child->Changed(Property::kBounds);
        child->Realign();
      }
    }
  };
  for (TAlign which : {alTop, alBottom, alLeft, alRight, alClient}) place(which);
}

void Control::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Changed(Property::kCaption);
}

const Font& Control::GetFont() const {
  return parentFont_ && parent_ != nullptr ? parent_->GetFont() : font_;
}

TColor Control::Color() const {
  return parentColor_ && parent_ != nullptr ? parent_->Color() : color_;
}

void Control::SetFont(const Font& font) {
  font_ = font;
  parentFont_ = false;
  Changed(Property::kFont);
}

void Control::SetColor(TColor color) {
  color_ = color;
  parentColor_ = false;
  Changed(Property::kColor);
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed(Property::kVisible);
  if (parent_ != nullptr && align_ != alNone) parent_->Realign();
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed(Property::kEnabled);
}

void Control::SetHint(const std::string& hint) {
  hint_ = hint;
  Changed(Property::kHint);
}

void Control::SetShowHint(bool show) {
  showHint_ = show;
  Changed(Property::kHint);
}

void Control::Click() {
  if (!enabled_ || !OnClick) return;
  App().Dispatch(OnClick);
}

void Control::Changed(Property what) {
  if (peer_) {
    peer_->Changed(what);
  } else if (!IsWindowed() && parent_ != nullptr) {
    // A graphic control is drawn by its parent: any visible change is a repaint of its area.
    parent_->InvalidateRect(bounds_);
  }
}

void Control::Invalidate() {
  if (peer_) {
    peer_->Invalidate(nullptr);
  } else if (parent_ != nullptr) {
    parent_->InvalidateRect(bounds_);
  }
}

void Control::InvalidateRect(const Rect& area) {
  if (peer_) {
    peer_->Invalidate(&area);
  } else if (parent_ != nullptr) {
    Rect shifted{area.left + bounds_.left, area.top + bounds_.top, area.right + bounds_.left,
                 area.bottom + bounds_.top};
    parent_->InvalidateRect(shifted);
  }
}

void Control::Repaint() {
  Invalidate();
  for (Control* c = this; c != nullptr; c = c->Parent()) {
    if (c->peer_) {
      c->peer_->Update();
      return;
    }
  }
}

void Panel::SetBevel(TBevelCut outer, TBevelCut inner, int width) {
  bevelOuter_ = outer;
  bevelInner_ = inner;
  bevelWidth_ = width;
  Changed(Property::kAppearance);
  Realign();
}

Rect Panel::AlignRect() const {
  int inset = (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
  Rect r = ClientRect();
  return Rect{r.left + inset, r.top + inset, r.right - inset, r.bottom - inset};
}

Label::Label(Control* parent, std::string name) : Control(parent, std::move(name)) {
  SetParentColor(true);
}

void Label::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Changed(Property::kAppearance);
}

void Label::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  Changed(Property::kAppearance);
}

void Label::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Changed(Property::kAppearance);
}

void RadioButton::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Changed(Property::kChecked);
  if (checked && Parent() != nullptr) {
    for (Control* sibling : Parent()->Children()) {
      auto* radio = sibling->Kind() == ControlKind::kRadioButton
                        ? static_cast<RadioButton*>(sibling)
                        : nullptr;
      if (radio != nullptr && radio != this) radio->SetChecked(false);
    }
  }
}

void RadioButton::Click() {
  if (!Enabled()) return;
  SetChecked(true);
  Control::Click();
}

Edit::Edit(Control* parent, std::string name) : Control(parent, std::move(name)) {
  SetColor(clWindow);
}

void Edit::SetCtl3D(bool ctl3D) {
  ctl3D_ = ctl3D;
  Changed(Property::kAppearance);
}

void Edit::SetFocus() {
  if (Peer() != nullptr) Peer()->SetFocus();
}

void DirectoryEdit::Browse() {
  std::string start = Text();
  if (start.empty() || !Fs().DirExists(start)) {
    std::string current = Fs().CurrentDir();
    start = current.substr(0, 2) + "\\";
  }
  std::string chosen;
  if (SelectDirectory(start, chosen)) SetText(chosen);
  SetFocus();
}

SpeedButton::SpeedButton(Control* parent, std::string name) : Control(parent, std::move(name)) {}

void SpeedButton::SetFlat(bool flat) {
  flat_ = flat;
  Changed(Property::kAppearance);
}

void ProgressBar::SetMin(int value) {
  min_ = value;
  if (max_ < min_) max_ = min_;
  position_ = std::clamp(position_, min_, max_);
  Changed(Property::kProgress);
}

void ProgressBar::SetMax(int value) {
  max_ = value;
  if (min_ > max_) min_ = max_;
  position_ = std::clamp(position_, min_, max_);
  Changed(Property::kProgress);
}

void ProgressBar::SetStep(int value) {
  step_ = value;
  Changed(Property::kProgress);
}

void ProgressBar::SetPosition(int value) {
  position_ = std::clamp(value, min_, max_);
  Changed(Property::kProgress);
}

void ProgressBar::StepIt() {
  // The common control's stepping: past the maximum the bar starts over from the minimum.
  int range = max_ - min_;
  int next = position_ + step_;
  if (range <= 0) {
    next = min_;
  } else if (next > max_) {
    next = min_ + (next - min_) % range;
  } else if (next < min_) {
    next = max_ - (min_ - next) % range;
  }
  position_ = next;
  Changed(Property::kProgress);
}

void Image::SetPicture(const std::string& resourceName) {
  picture_ = resourceName;
  Changed(Property::kPicture);
}

void RichEdit::LoadFromFile(const std::string& path) {
  fs::File file;
  if (file.TryOpen(path, OpenMode::kRead).Failed()) throw Exception("Cannot open file " + path);
  std::string text;
  char buffer[16384];
  for (;;) {
    std::size_t got = 0;
    if (file.TryRead(buffer, sizeof buffer, got).Failed()) {
      throw Exception("Cannot open file " + path);
    }
    if (got == 0) break;
    text.append(buffer, got);
  }
  content_ = std::move(text);
  Changed(Property::kContent);
}

}  // namespace toolkit
