#include "app/DialogFrontEnd.h"

#include "app/MainDlg.h"
#include "app/Session.h"
#include "config/Vars.h"
#include "toolkit/Dialogs.h"

namespace app {

using config::Notice;
using config::Question;

bool DialogFrontEnd::CadFolderAsked() const { return dialog_.AppDir.Visible(); }

std::string DialogFrontEnd::CadFolder() const { return dialog_.AppDir.Text(); }

void DialogFrontEnd::SetCadFolder(const std::string& folder) { dialog_.AppDir.SetText(folder); }

std::string DialogFrontEnd::Destination() const { return dialog_.DestDir.Text(); }

bool DialogFrontEnd::Release14() const { return dialog_.Per14.Checked(); }

bool DialogFrontEnd::RestartNoticeWanted() const {
  return dialog_.PerNT.Visible() && dialog_.PerNT.Checked();
}

void DialogFrontEnd::SetStatus(const std::string& text) { dialog_.LbLFile.SetCaption(text); }

void DialogFrontEnd::ShowStatus(const std::string& text) {
  dialog_.LbLFile.SetCaption(text);
  dialog_.Repaint();
}

toolkit::ProgressBar& DialogFrontEnd::Progress() { return dialog_.ProgressBar1; }

void DialogFrontEnd::ResetProgress() { app::ResetProgress(dialog_); }

void DialogFrontEnd::ProcessMessages() { toolkit::App().ProcessMessages(); }

void DialogFrontEnd::Tell(Notice kind, const std::string& text) {
  TheSession().log.Write(config::Vars.LogMessage + " " + text);
  if (kind == Notice::kPlain) {
    toolkit::ShowMessage(text);
  } else {
    toolkit::MessageDlg(text, toolkit::mbOK);
  }
}

namespace {

bool AskInABox(Question question, const std::string& text) {
  switch (question) {
    case Question::kInsertDisk:
      // Only Cancel stops; any other way of closing the box means the disk is in.
      return toolkit::MessageDlg(text, toolkit::mbOK | toolkit::mbCancel) != toolkit::mrCancel;
    case Question::kConfirmAbandon:
    case Question::kCreateGroup:
      return toolkit::MessageDlg(text, toolkit::mbYes | toolkit::mbNo) == toolkit::mrYes;
  }
  return false;
}

}  // namespace

bool DialogFrontEnd::Ask(Question question, const std::string& text) {
  Session& session = TheSession();
  const bool yes = question == Question::kCreateGroup && session.options.noGroup
                       ? false
                       : AskInABox(question, text);
  const config::ConfigurationBlock& v = config::Vars;
  session.log.Write(v.LogQuestion + " " + text + " -> " + (yes ? v.LogYes : v.LogNo));
  return yes;
}

void DialogFrontEnd::Note(const std::string& event) { TheSession().log.Write(event); }

toolkit::DdeConversation& DialogFrontEnd::ProgramManager() { return dialog_.DdeClient(); }

}  // namespace app
