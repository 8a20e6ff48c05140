#include "install/FolderTree.h"

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "install/PathOps.h"
#include "install/Sequence.h"
#include "toolkit/FileSystem.h"

namespace install {

namespace {

// The tree below the destination, in the order of creation and with its capitalisation.
constexpr const char* kDestinationFolders[] = {"Acrobat", "Cfg", "Help", "Images", "Tol", "Store"};
constexpr const char* kPartsFolders[] = {"Bin",   "Harvo", "Vimora",  "Img",    "Quessa",
                                         "Dulma", "Kx",    "Special", "Corvani"};

}  // namespace

bool CreateFolderTree(config::FrontEnd& frontEnd) {
  if (!CheckCadFolder(frontEnd)) return false;
  // Used alone, the tree is made for nobody's record.
  BuildDestinationTree(frontEnd, toolkit::NoRecording());
  return true;
}

bool CheckCadFolder(config::FrontEnd& frontEnd) {
  if (frontEnd.CadFolderAsked() &&
      CheckFolderExists(frontEnd, frontEnd.CadFolder(), config::Vars.MsgCadFolderMissing)) {
    return false;
  }
  frontEnd.SetCadFolder(StripTrailingBackslash(frontEnd.CadFolder()));
  return true;
}

void BuildDestinationTree(config::FrontEnd& frontEnd, toolkit::ChangeRecorder& recorder) {
  const std::string destination = frontEnd.Destination();
  EnterOrCreatePath(destination, recorder);
  for (const char* name : kDestinationFolders) MakeSubdir(name, recorder);
  EnterOrCreatePath("Parts", recorder);
  for (const char* name : kPartsFolders) MakeSubdir(name, recorder);
  EnterOrCreatePath("Pneumatica", recorder);
  EnterOrCreatePath("Img", recorder);
  EnterOrCreatePath(destination, recorder);
  EnterOrCreatePath("UserParts", recorder);
  MakeSubdir("Cache", recorder);

  frontEnd.State().workDir = destination;
}

void ProtectDestinationTree(config::FrontEnd& frontEnd) {
  const std::string destination = frontEnd.Destination();
  const std::pair<std::string, toolkit::FolderAccess> folders[] = {
      {destination,
       frontEnd.ForAllUsers() ? toolkit::FolderAccess::kMachine : toolkit::FolderAccess::kProduct},
      {JoinPath(destination, "UserParts"), toolkit::FolderAccess::kShared},
  };
  for (const auto& [folder, access] : folders) {
    if (toolkit::Fs().SetFolderAccess(folder, access) != 0) {
      frontEnd.Note(config::Vars.LogFolderNotProtected + " " + folder);
    }
  }
}

void ClaimMachineDestination(config::FrontEnd& frontEnd) {
  const std::string destination = frontEnd.Destination();
  if (!toolkit::Fs().DirExists(destination)) return;
  const toolkit::fs::IoStatus claimed(
      toolkit::Fs().SetFolderAccess(destination, toolkit::FolderAccess::kMachine));
  if (claimed.IsLinkInTheWay()) {
    throw EInstallationRefused(
        config::FormatMessage(config::Vars.MsgDestinationLinked, {destination}));
  }
  if (claimed.Failed()) frontEnd.Note(config::Vars.LogFolderNotProtected + " " + destination);
}

void RefuseLinkedDestination(config::FrontEnd& frontEnd) {
  const std::string destination = StripTrailingBackslash(frontEnd.Destination());
  if (toolkit::Fs().KindOf(destination) == toolkit::PathKind::kNone) return;
  if (toolkit::Fs().KindOf(destination) == toolkit::PathKind::kLink ||
      toolkit::Fs().HoldsLink(destination)) {
    throw EInstallationRefused(
        config::FormatMessage(config::Vars.MsgDestinationLinked, {destination}));
  }
}

}  // namespace install
