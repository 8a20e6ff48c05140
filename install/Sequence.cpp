#include "install/Sequence.h"

#include "app/MainDlg.h"
#include "app/Vars.h"
#include "cad/Patchers.h"
#include "extract/Extraction.h"
#include "extract/PackageTable.h"
#include "install/FolderTree.h"
#include "install/Messages.h"
#include "install/ProgramGroup.h"
#include "toolkit/Dialogs.h"

namespace install {
namespace {

constexpr const char* kProductFiles[] = {"tkicon1.bmp", "tkicon2.bmp", "tolvek.lsp"};

void ExtractCadFile(const std::string& file, const std::string& folder) {
  extract::ExtractPackage(*app::MainDlg, app::Vars.SourceDir + extract::kCadPackage, folder, file);
}

// The product's toolbar bitmaps and AutoLISP file go into AutoCAD's support folder: the
// "support" folder of a release before 2004 (and the AutoLISP file also beside AutoCAD itself),
// otherwise the current profile's folder from the registry, looked up anew for each file.
void ExtractCadFiles(bool release14) {
  const std::string& acad = app::Vars.WorkDir;
  if (release14) {
    ExtractCadFile("tkicon1.bmp", acad + "\\support\\");
    ExtractCadFile("tkicon2.bmp", acad + "\\support\\");
    ExtractCadFile("tolvek.lsp", acad + "\\");
    ExtractCadFile("tolvek.lsp", acad + "\\support\\");
    return;
  }
  for (const char* file : kProductFiles) ExtractCadFile(file, cad::GetAcadSupportDir());
}

void PatchMenuAndAliases(bool release14) {
  app::ShowStatus("Tolvek toolbar...");
  if (release14) {
    if (!cad::PatchAcadMenu(1, app::Vars.WorkDir, "\\support\\acad.mns")) {
      ShowManualEditMessage(kMenuNotPatchedR14);
    }
    return;
  }
  if (!cad::PatchAcadMenu(1, cad::GetAcadSupportDir(), "acad.mns")) {
    ShowManualEditMessage(kMenuNotPatched2004);
  }
  if (!cad::PatchAcadPgp(1, cad::GetAcadSupportDir(), "acad.pgp")) {
    ShowManualEditMessage(kPgpNotPatched);
  }
}

}  // namespace

void RunInstall() {
  app::TMainDlg& dialog = *app::MainDlg;
  app::ConfigurationBlock& v = app::Vars;
  if (!CreateFolderTree()) return;
  v.WorkDir = dialog.AppDir.Text();
  if (!cad::PatchAcadLisp(v.WorkDir)) ShowManualEditMessage(kLispNotPatched);
  // The generation is read twice: the user may change it while the files are extracted.
  ExtractCadFiles(dialog.Per14.Checked());
  PatchMenuAndAliases(dialog.Per14.Checked());

  v.WorkDir = dialog.DestDir.Text();
  extract::ExtractPackage(dialog, v.SourceDir + extract::kConfigPackage, v.WorkDir + "\\cfg\\", "");
  extract::ExtractPackage(dialog, v.SourceDir + extract::kHelpPackage, v.WorkDir + "\\help\\", "");
  extract::ExtractAllPackages(v.WorkDir);
  FinishInstall();
}

void FinishInstall() {
  app::TMainDlg& dialog = *app::MainDlg;
  const app::ConfigurationBlock& v = app::Vars;
  dialog.LbLFile.SetCaption(v.MsgCopyDone);
  app::Vars.InstallDone = true;
  if (v.OfferProgramGroup) CreateProgramGroup(v.GroupName, v.GroupItemFile, "", v.GroupItemName);
  toolkit::MessageDlg(v.MsgSuccess, toolkit::mbOK);
  if (dialog.PerNT.Visible() && dialog.PerNT.Checked()) toolkit::ShowMessage(v.MsgRebootNotice);
}

}  // namespace install
