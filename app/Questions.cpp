#include "app/Questions.h"

#include "config/Vars.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Forms.h"

namespace app {

using config::Question;

bool AskInABox(Question question, const std::string& text) {
  switch (question) {
    case Question::kInsertDisk:
      // Only Cancel stops; any other way of closing the box means the disk is in.
      return toolkit::MessageDlg(text, toolkit::mbOK | toolkit::mbCancel) != toolkit::mrCancel;
    case Question::kConfirmAbandon:
    case Question::kCreateGroup:
      return toolkit::MessageDlg(text, toolkit::mbYes | toolkit::mbNo) == toolkit::mrYes;
    case Question::kCloseAutoCad:
      return toolkit::MessageDlg(text, toolkit::mbRetry | toolkit::mbCancel) == toolkit::mrRetry;
  }
  return false;
}

}  // namespace app
