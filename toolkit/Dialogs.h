// The message boxes and the folder-selection dialog. Two kinds of box: a plain one (the text, no
// icon, one "OK", titled with the application's title) and a typed one (the information icon, the
// title "Information", a chosen set of buttons: "OK", "Cancel", "&Yes", "&No", "&Retry", in the
// combinations Windows' own boxes offer). The handler of unhandled errors uses a third, the
// error box (stop icon, the application's title, "OK").
#pragma once

#include <string>

namespace toolkit {

enum TMsgDlgButton : unsigned { mbOK = 1, mbCancel = 2, mbYes = 4, mbNo = 8, mbRetry = 16 };
enum class BoxKind { kPlain, kInformation, kError };

// A plain box.
void ShowMessage(const std::string& text);
// A typed box with the information icon; returns the TModalResult of the button pressed.
int MessageDlg(const std::string& text, unsigned buttons);
void ShowErrorBox(const std::string& text);

// The folder-selection dialog, starting at `folder`; true and the chosen folder when confirmed.
bool SelectDirectory(const std::string& start, std::string& chosen);

}  // namespace toolkit
