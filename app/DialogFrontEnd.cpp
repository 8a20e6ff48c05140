#include "app/DialogFrontEnd.h"

#include "app/MainDlg.h"
#include "app/Questions.h"
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

bool DialogFrontEnd::ForAllUsers() const { return TheSession().options.allUsers; }

bool DialogFrontEnd::RestartNoticeWanted() const {
  return dialog_.PerNT.Visible() && dialog_.PerNT.Checked();
}

void DialogFrontEnd::SetStatus(const std::string& text) { dialog_.LbLFile.SetCaption(text); }

void DialogFrontEnd::ShowStatus(const std::string& text) {
  dialog_.LbLFile.SetCaption(text);
  dialog_.Repaint();
}

void DialogFrontEnd::ShowProgress(const config::ExtractionProgress& progress) {
  using Step = config::ExtractionProgress::Step;
  // The bar counts a file in whole steps of 32768 bytes; a file under two steps is one.
  constexpr std::int64_t kBytesPerStep = 32768;
  toolkit::ProgressBar& bar = dialog_.ProgressBar1;
  switch (progress.step) {
    case Step::kFileStarts: {
      SetStatus(progress.member + " " + config::Vars.MsgCopying);
      ProcessMessages();
      const std::int64_t size = progress.memberBytes;
      if (!bar.Visible()) bar.SetVisible(true);
      bar.SetMax(size >= 2 * kBytesPerStep ? std::int32_t(size / kBytesPerStep) : 1);
      bar.SetMin(1);
      bar.SetStep(1);
      bar.SetPosition(1);
      if (size < kBytesPerStep) bar.StepIt();
      break;
    }
    case Step::kBytesDone:
      if (bar.Position() < bar.Max()) {
        bar.StepIt();
        ProcessMessages();
      }
      break;
    case Step::kPackageDone:
      app::ResetProgress(dialog_);
      break;
  }
}

config::RunState& DialogFrontEnd::State() { return TheSession().state; }

void DialogFrontEnd::ProcessMessages() { toolkit::App().ProcessMessages(); }

void DialogFrontEnd::Tell(Notice kind, const std::string& text) {
  if (kind == Notice::kPlain) {
    toolkit::ShowMessage(text);
  } else {
    toolkit::MessageDlg(text, toolkit::mbOK);
  }
}

bool DialogFrontEnd::Ask(Question question, const std::string& text) {
  if (question == Question::kCreateGroup && TheSession().options.noGroup) return false;
  return AskInABox(question, text);
}

toolkit::DdeConversation& DialogFrontEnd::ProgramManager() { return dialog_.DdeClient(); }

}  // namespace app
