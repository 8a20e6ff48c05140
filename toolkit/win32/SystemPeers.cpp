// The system's own controls: the radio button, the one-line edit box and the read-only rich-text
// box. Their peers create the control, mirror the properties it shows, and turn its
// notifications into the user's actions on the control.
#include <windows.h>

#include <richedit.h>

#include <algorithm>
#include <string>
#include <utility>

#include "toolkit/win32/EditPeer.h"
#include "toolkit/win32/PeerFamilies.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit::win32 {
namespace {

std::string WindowText(HWND window) { return WindowTextUtf8(window); }

class RadioPeer : public WindowPeer {
 public:
  RadioPeer(RadioButton& radio, HWND parent, bool firstOfGroup) : WindowPeer(radio), radio_(radio) {
    Adopt(MakeChild("BUTTON", radio, parent,
                    BS_RADIOBUTTON | WS_TABSTOP | (firstOfGroup ? WS_GROUP : 0)));
    ApplyFont();
    SendMessageA(Window(), BM_SETCHECK, radio.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }

  void Changed(Property what) override {
    if (what == Property::kChecked) {
      SendMessageA(Window(), BM_SETCHECK, radio_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
      return;
    }
    WindowPeer::Changed(what);
  }

  void OnCommand(HWND, int code) override {
    if (code == BN_CLICKED) radio_.Click();
  }

 private:
  RadioButton& radio_;
};

// The radio buttons of one parent are one group: the keyboard's arrows move within it, from the
// first, which starts the group.
bool IsFirstRadioOfParent(const Control& control) {
  for (const Control* sibling : control.Parent()->Children()) {
    if (sibling->Kind() == ControlKind::kRadioButton) return sibling == &control;
  }
  return false;
}

DWORD CALLBACK StreamFromString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* source = reinterpret_cast<std::pair<const std::string*, std::size_t>*>(cookie);
  std::size_t left = source->first->size() - source->second;
  std::size_t n = std::min<std::size_t>(left, std::size_t(size));
  std::copy_n(source->first->data() + source->second, n, buffer);
  source->second += n;
  *done = LONG(n);
  return 0;
}

class RichEditPeer : public WindowPeer {
 public:
  RichEditPeer(RichEdit& edit, HWND parent) : WindowPeer(edit), edit_(edit) {
    static UniqueModule library(LoadLibraryA("riched20.dll"));
    // The readme is RTF, bytes that say their own code page: it is streamed in unconverted.
    Adopt(MakeChild(RICHEDIT_CLASSA, edit, parent,
                    WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                        ES_AUTOHSCROLL | ES_NOHIDESEL,
                    WS_EX_CLIENTEDGE, ""));
    ApplyFont();
  }

  void Changed(Property what) override {
    if (what == Property::kContent) {
      std::pair<const std::string*, std::size_t> source{&edit_.Content(), 0};
      EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, StreamFromString};
      SendMessageA(Window(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
      return;
    }
    WindowPeer::Changed(what);
  }

 private:
  RichEdit& edit_;
};

}  // namespace

EditPeer::EditPeer(Edit& edit, HWND parent, int widthLess) : WindowPeer(edit), edit_(edit) {
  const Rect& b = edit.BoundsRect();
  Adopt(CreateWindowUtf8(
      edit.Ctl3D() ? WS_EX_CLIENTEDGE : 0, "EDIT", edit.Text(),
      ChildStyle(edit) | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP | (edit.Ctl3D() ? 0 : WS_BORDER),
      b.left, b.top, b.Width() - widthLess, b.Height(), parent, ModuleInstance()));
  ApplyFont();
}

void EditPeer::Changed(Property what) {
  if (what == Property::kCaption) {
    if (WindowText(Window()) != edit_.Text()) SetWindowTextUtf8(Window(), edit_.Text());
    return;
  }
  WindowPeer::Changed(what);
}

void EditPeer::OnCommand(HWND, int code) {
  if (code == EN_CHANGE) edit_.SetCaptionFromPeer(WindowText(Window()));
}

std::unique_ptr<WindowPeer> MakeRadioPeer(RadioButton& radio, HWND parent) {
  return std::make_unique<RadioPeer>(radio, parent, IsFirstRadioOfParent(radio));
}

std::unique_ptr<WindowPeer> MakeEditPeer(Edit& edit, HWND parent) {
  return std::make_unique<EditPeer>(edit, parent);
}

std::unique_ptr<WindowPeer> MakeRichEditPeer(RichEdit& edit, HWND parent) {
  return std::make_unique<RichEditPeer>(edit, parent);
}

}  // namespace toolkit::win32
