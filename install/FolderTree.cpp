#include "install/FolderTree.h"

#include "app/MainDlg.h"
#include "app/Vars.h"
#include "install/PathOps.h"

namespace install {

namespace {

// The tree below the destination, in the order of creation and with its capitalisation.
constexpr const char* kDestinationFolders[] = {"Acrobat", "Cfg", "Help", "Images", "Tol", "Store"};
constexpr const char* kPartsFolders[] = {"Bin",   "Harvo", "Vimora",  "Img",    "Quessa",
                                         "Dulma", "Kx",    "Special", "Corvani"};

}  // namespace

bool CreateFolderTree() {
  app::TMainDlg& dialog = *app::MainDlg;
  if (dialog.AppDir.Visible() &&
      CheckFolderExists(dialog.AppDir.Text(), app::Vars.MsgCadFolderMissing)) {
    return false;
  }
  dialog.AppDir.SetText(StripTrailingBackslash(dialog.AppDir.Text()));

  EnterOrCreatePath(dialog.DestDir.Text());
  for (const char* name : kDestinationFolders) MakeSubdir(name);
  EnterOrCreatePath("Parts");
  for (const char* name : kPartsFolders) MakeSubdir(name);
  EnterOrCreatePath("Pneumatica");
  EnterOrCreatePath("Img");
  EnterOrCreatePath(dialog.DestDir.Text());
  EnterOrCreatePath("UserParts");
  MakeSubdir("Cache");

  app::Vars.WorkDir = dialog.DestDir.Text();
  return true;
}

}  // namespace install
