// The one-line edit box's peer, the system's EDIT control. The folder box builds on it.
#pragma once

#include "toolkit/win32/Peers.h"

namespace toolkit::win32 {

class EditPeer : public WindowPeer {
 public:
  // The window is `widthLess` pixels narrower than the control, leaving room for what stands at
  // its right end.
  EditPeer(Edit& edit, HWND parent, int widthLess = 0);

  void Changed(Property what) override;
  // The user's typing becomes the control's text.
  void OnCommand(HWND from, int code) override;

 protected:
  Edit& edit_;
};

}  // namespace toolkit::win32
