// The main dialog: the installer's only interactive window. It shows the product and the CAD
// system, the AutoCAD folder (which the user may change), the fixed destination, the choices of
// AutoCAD generation and Windows family, the install and exit buttons, a status line and a
// progress bar. Its texts come from the configuration block each time it is shown.
#pragma once

#include <memory>
#include <string>

#include "app/DialogFrontEnd.h"
#include "app/LoggedFrontEnd.h"
#include "app/Session.h"
#include "toolkit/Controls.h"
#include "toolkit/Dde.h"
#include "toolkit/Forms.h"

namespace app {

class TMainDlg : public toolkit::Form {
 public:
  TMainDlg();
  ~TMainDlg() override;

  toolkit::Panel Panel1{this, "Panel1"};
  toolkit::Panel Panel4{&Panel1, "Panel4"};
  toolkit::Image Image1{&Panel4, "Image1"};
  toolkit::Label LblInstallazione{&Panel4, "LblInstallazione"};
  toolkit::Label Lbl_Program1{&Panel4, "Lbl_Program1"};
  toolkit::Label Lbl_Program2{&Panel4, "Lbl_Program2"};
  toolkit::Label LabelPer{&Panel4, "LabelPer"};
  toolkit::Label NomeCAD{&Panel4, "NomeCAD"};
  toolkit::Label DescrCAD{&Panel4, "DescrCAD"};
  toolkit::Panel Panel2{&Panel1, "Panel2"};
  toolkit::Image Image3{&Panel2, "Image3"};
  toolkit::RadioButton PerNT{&Panel1, "PerNT"};
  toolkit::RadioButton Per95{&Panel1, "Per95"};
  toolkit::Panel Panel3{&Panel1, "Panel3"};
  toolkit::RadioButton Per2000{&Panel3, "Per2000"};
  toolkit::RadioButton Per14{&Panel3, "Per14"};
  toolkit::RadioButton PerLT{&Panel3, "PerLT"};
  toolkit::RadioButton Per4{&Panel3, "Per4"};
  toolkit::Label LblAPP{&Panel1, "LblAPP"};
  toolkit::DirectoryEdit AppDir{&Panel1, "AppDir"};
  toolkit::SpeedButton Uscita{&Panel1, "Uscita"};
  toolkit::Label LblDEST{&Panel1, "LblDEST"};
  toolkit::Edit DestDir{&Panel1, "DestDir"};
  toolkit::SpeedButton Installa{&Panel1, "Installa"};
  toolkit::Label LbLFile{&Panel1, "LbLFile"};
  toolkit::Panel Panel5{&Panel1, "Panel5"};
  toolkit::ProgressBar ProgressBar1{&Panel5, "ProgressBar1"};

  // The conversation with Program Manager, opened when the dialog is loaded.
  toolkit::DdeConversation& DdeClient() { return *ddeClient_; }
  // The dialog as the install engine's front end, with what it shows logged.
  config::FrontEnd& FrontEnd() { return loggedFrontEnd_; }

  void FormCreate();
  void FormShow();
  void FormDestroy();
  void InstallaClick();
  // The choices given on the command line, over the configuration's defaults.
  void ApplyPresets();
  void UscitaClick();

 private:
  std::unique_ptr<toolkit::DdeConversation> ddeClient_;
  DialogFrontEnd frontEnd_{*this};
  LoggedFrontEnd loggedFrontEnd_{frontEnd_, TheSession().log};
};

// The one main dialog of the process.
extern std::unique_ptr<TMainDlg> MainDlg;

// Sets the status line of the main dialog and repaints the dialog at once.
void ShowStatus(const std::string& text);
// Empties the dialog's status line and resets its progress bar to 1 on a scale of 1 to 10.
void ResetProgress(TMainDlg& dialog);

}  // namespace app
