#include "app/Lister.h"

#include "app/MainDlg.h"
#include "app/Session.h"
#include "config/Vars.h"

namespace app {

using namespace toolkit;
using config::Vars;

std::unique_ptr<TLister> Lister;

TLister::TLister() : Form("Lister") {
  SetBorderStyle(bsSizeable);
  SetPosition(poScreenCenter);
  SetFormStyle(fsStayOnTop);
  SetCaption("help\\readme.rtf");
  // The outer size is 650 by 472; the client area is what the frame leaves of it.
  SetOuterSize(650, 472);
  Font system;
  system.name = "System";
  system.height = 13;
  RichEdit1.SetFont(system);
  RichEdit1.SetAlign(alClient);
}

std::string UpperCaseAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return text;
}

void ShowReadmeIfInstalled() {
  if (!TheSession().state.installDone || !Vars.ShowReadmeOnExit) return;
  std::string path = MainDlg->DestDir.Text() + "\\help\\" + Vars.ReadmeFileName;
  Lister->SetCaption(UpperCaseAscii(path));
  Lister->RichEdit1.LoadFromFile(path);
  Lister->ShowModal();
}

}  // namespace app
