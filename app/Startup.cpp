#include "app/Startup.h"

#include <memory>

#include "app/Lister.h"
#include "app/MainDlg.h"
#include "config/Vars.h"
#include "extract/UnzipBinding.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Forms.h"
#include "ui/Sfondo.h"

namespace app {

using config::FillConfiguration;
using config::Vars;

std::string SourceDirOf(const std::string& programPath) {
  auto slash = programPath.find_last_of('\\');
  return slash == std::string::npos ? std::string() : programPath.substr(0, slash);
}

void StartupFormCreate(TMainDlg& dialog) {
  Vars.CancelRequested = false;
  ResetProgress(dialog);
  extract::LoadUnzipLibrary(dialog.FrontEnd());
  Vars.Language = 1;
  Vars.ShowWindowsChoice = true;
  Vars.ProductCode = 1;
  Vars.SourceDir = SourceDirOf(toolkit::Fs().ProgramPath());
  FillConfiguration();
}

void StartupFormDestroy(TMainDlg&) { extract::UnloadUnzipLibrary(); }

void BackgroundFormActivate() {
  FillConfiguration();
  ui::SfondoDlg->SetColor(Vars.BackgroundColor);
  ui::SfondoDlg->LabelEffect1.SetCaption(Vars.BackgroundTitle);
  MainDlg->ShowModal();
  ui::SfondoDlg->Close();
}

void RunInstaller() {
  toolkit::Application& application = toolkit::App();
  application.SetTitle("Install");
  application.SetTitle("KOVIA Install");
  application.CreateForm(ui::SfondoDlg);
  // The dialog is shown once per run. The background is activated again whenever it comes to the
  // front, and an activation arriving while the first is still showing the dialog would show it
  // again, nested in the first.
  ui::SfondoDlg->OnActivate = [activated = false]() mutable {
    if (activated) return;
    activated = true;
    BackgroundFormActivate();
  };
  application.CreateForm(MainDlg);
  application.CreateForm(Lister);
  application.Run();
  // The windows go in reverse order of creation; the main dialog's destruction releases the
  // unzip library.
  Lister.reset();
  MainDlg.reset();
  ui::SfondoDlg.reset();
}

}  // namespace app
