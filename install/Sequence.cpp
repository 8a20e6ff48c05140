#include "install/Sequence.h"

#include "cad/Patchers.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "extract/Extraction.h"
#include "extract/PackageTable.h"
#include "install/FolderTree.h"
#include "install/Journal.h"
#include "install/Messages.h"
#include "install/PathOps.h"
#include "install/Preflight.h"
#include "install/ProgramGroup.h"
#include "install/Rollback.h"

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

// Everything the installation changes after the destination tree: AutoCAD's files, the
// product's files in AutoCAD's support folder, and the packages in the destination.
void InstallFiles(config::FrontEnd& frontEnd) {
  config::ConfigurationBlock& v = config::Vars;
  v.WorkDir = frontEnd.CadFolder();
  if (!cad::PatchAcadLisp(v.WorkDir)) ShowManualEditMessage(frontEnd, kLispNotPatched);
  // The generation is read twice: the user may change it while the files are extracted.
  ExtractCadFiles(frontEnd, frontEnd.Release14());
  PatchMenuAndAliases(frontEnd, frontEnd.Release14());

  v.WorkDir = frontEnd.Destination();
  extract::ExtractPackage(frontEnd, v.SourceDir + extract::kConfigPackage, v.WorkDir + "\\cfg\\",
                          "");
  extract::ExtractPackage(frontEnd, v.SourceDir + extract::kHelpPackage, v.WorkDir + "\\help\\",
                          "");
  extract::ExtractAllPackages(frontEnd, v.WorkDir);
}

}  // namespace

void RunInstall(config::FrontEnd& frontEnd) {
  config::ConfigurationBlock& v = config::Vars;
  const std::string destination = frontEnd.Destination();
  const std::string journalPath = JoinPath(destination, kJournalName);
  // A swap that a killed installer left half done is settled before anything looks at the files.
  RepairInterruptedSwaps(journalPath);
  if (!CheckCadFolder(frontEnd)) return;
  if (const std::optional<std::string> missing = FindWhatIsMissing(frontEnd)) {
    throw EInstallationRefused(*missing);
  }

  Journal journal(v.ProductTitle);
  try {
    {
      ScopedFolderRecord folders([&](const std::string& path) { journal.FolderCreated(path); });
      BuildDestinationTree(frontEnd);
    }
    journal.Open(journalPath);
    cad::ScopedRewriteJournal rewrites(journal);
    extract::ScopedExtractionJournal extractions(journal);
    InstallFiles(frontEnd);
    journal.Complete();
  } catch (const toolkit::EAbort&) {
    RollBack(journal, destination);
    throw;
  } catch (const toolkit::Exception& error) {
    const std::vector<std::string> notUndone = RollBack(journal, destination);
    std::string message = error.what();
    if (notUndone.empty()) {
      message += "\r\n\r\n" + v.MsgNothingChanged;
    } else {
      message += "\r\n\r\n" + v.MsgNotUndone;
      for (const std::string& path : notUndone) message += "\r\n" + path;
    }
    throw EInstallationFailed(message);
  }
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
