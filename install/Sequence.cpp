#include "install/Sequence.h"

#include "cad/Patchers.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "extract/Extraction.h"
#include "extract/PackageTable.h"
#include "install/FolderTree.h"
#include "install/Messages.h"
#include "install/ProgramGroup.h"

namespace install {
namespace {

constexpr const char* kProductFiles[] = {"tkicon1.bmp", "tkicon2.bmp", "tolvek.lsp"};

void ExtractCadFile(config::FrontEnd& frontEnd, const std::string& file,
                    const std::string& folder) {
  extract::ExtractPackage(frontEnd, config::Vars.SourceDir + extract::kCadPackage, folder, file);
}

// The product's toolbar bitmaps and AutoLISP file go into AutoCAD's support folder: the
// "support" folder of a release before 2004 (and the AutoLISP file also beside AutoCAD itself),
// otherwise the current profile's folder from the registry, looked up anew for each file.
void ExtractCadFiles(config::FrontEnd& frontEnd, bool release14) {
  const std::string& acad = config::Vars.WorkDir;
  if (release14) {
    ExtractCadFile(frontEnd, "tkicon1.bmp", acad + "\\support\\");
    ExtractCadFile(frontEnd, "tkicon2.bmp", acad + "\\support\\");
    ExtractCadFile(frontEnd, "tolvek.lsp", acad + "\\");
    ExtractCadFile(frontEnd, "tolvek.lsp", acad + "\\support\\");
    return;
  }
  for (const char* file : kProductFiles) ExtractCadFile(frontEnd, file, cad::GetAcadSupportDir());
}

void PatchMenuAndAliases(config::FrontEnd& frontEnd, bool release14) {
  frontEnd.ShowStatus("Tolvek toolbar...");
  if (release14) {
    if (!cad::PatchAcadMenu(1, config::Vars.WorkDir, "\\support\\acad.mns")) {
      ShowManualEditMessage(frontEnd, kMenuNotPatchedR14);
    }
    return;
  }
  if (!cad::PatchAcadMenu(1, cad::GetAcadSupportDir(), "acad.mns")) {
    ShowManualEditMessage(frontEnd, kMenuNotPatched2004);
  }
  if (!cad::PatchAcadPgp(1, cad::GetAcadSupportDir(), "acad.pgp")) {
    ShowManualEditMessage(frontEnd, kPgpNotPatched);
  }
}

}  // namespace

void RunInstall(config::FrontEnd& frontEnd) {
  config::ConfigurationBlock& v = config::Vars;
  if (!CreateFolderTree(frontEnd)) return;
  v.WorkDir = frontEnd.CadFolder();
  // AutoCAD 2012 and later load the product from a bundle, with the files the support folder gets.
  const auto placeProductFiles = [&](const std::string& folder) {
    for (const char* file : kProductFiles) ExtractCadFile(frontEnd, file, folder);
  };
  if (!cad::WireProductLisp(v.WorkDir, frontEnd.Release14(), placeProductFiles)) {
    ShowManualEditMessage(frontEnd, kLispNotPatched);
  }
  // The generation is read at each step: the user may change it while the files are extracted.
  ExtractCadFiles(frontEnd, frontEnd.Release14());
  PatchMenuAndAliases(frontEnd, frontEnd.Release14());

  v.WorkDir = frontEnd.Destination();
  extract::ExtractPackage(frontEnd, v.SourceDir + extract::kConfigPackage, v.WorkDir + "\\cfg\\",
                          "");
  extract::ExtractPackage(frontEnd, v.SourceDir + extract::kHelpPackage, v.WorkDir + "\\help\\",
                          "");
  extract::ExtractAllPackages(frontEnd, v.WorkDir);
  FinishInstall(frontEnd);
}

void FinishInstall(config::FrontEnd& frontEnd) {
  const config::ConfigurationBlock& v = config::Vars;
  frontEnd.SetStatus(v.MsgCopyDone);
  config::Vars.InstallDone = true;
  if (v.OfferProgramGroup) {
    CreateProgramGroup(frontEnd, v.GroupName, v.GroupItemFile, "", v.GroupItemName);
  }
  frontEnd.Tell(config::Notice::kInformation, v.MsgSuccess);
  if (frontEnd.RestartNoticeWanted()) frontEnd.Tell(config::Notice::kPlain, v.MsgRebootNotice);
}

}  // namespace install
