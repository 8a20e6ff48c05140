// The folder box: an edit box with the browse button standing at its right end. The button is a
// second window of the same peer, so it moves, shows and enables with the box.
#include "toolkit/win32/EditPeer.h"
#include "toolkit/win32/PeerFamilies.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit::win32 {
namespace {

constexpr int kBrowseButtonWidth = 21;

class DirectoryEditPeer : public EditPeer {
 public:
  DirectoryEditPeer(DirectoryEdit& edit, HWND parent)
      : EditPeer(edit, parent, kBrowseButtonWidth), directoryEdit_(edit) {
    const Rect& b = edit.BoundsRect();
    button_.Reset(CreateWindowUtf8(0, "BUTTON", "...", ChildStyle(edit) | BS_PUSHBUTTON,
                                   b.right - kBrowseButtonWidth, b.top, kBrowseButtonWidth,
                                   b.Height(), parent, ModuleInstance()));
    SetWindowData(button_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SendMessageA(button_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
  }

  ~DirectoryEditPeer() override {
    if (button_) SetWindowData(button_.Get(), GWLP_USERDATA, 0);
  }

  void Changed(Property what) override {
    const Rect& b = edit_.BoundsRect();
    switch (what) {
      case Property::kBounds:
        MoveWindow(Window(), b.left, b.top, b.Width() - kBrowseButtonWidth, b.Height(), TRUE);
        MoveWindow(button_.Get(), b.right - kBrowseButtonWidth, b.top, kBrowseButtonWidth,
                   b.Height(), TRUE);
        return;
      case Property::kVisible:
        ShowWindow(button_.Get(), edit_.Visible() ? SW_SHOWNA : SW_HIDE);
        break;
      case Property::kEnabled:
        EnableWindow(button_.Get(), edit_.Enabled());
        break;
      default:
        break;
    }
    EditPeer::Changed(what);
  }

  void OnCommand(HWND from, int code) override {
    if (from == button_.Get()) {
      if (code == BN_CLICKED) App().Dispatch([this] { directoryEdit_.Browse(); });
      return;
    }
    EditPeer::OnCommand(from, code);
  }

 private:
  DirectoryEdit& directoryEdit_;
  UniqueWindow button_;
};

}  // namespace

std::unique_ptr<WindowPeer> MakeDirectoryEditPeer(DirectoryEdit& edit, HWND parent) {
  return std::make_unique<DirectoryEditPeer>(edit, parent);
}

}  // namespace toolkit::win32
