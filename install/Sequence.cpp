#include "install/Sequence.h"

#include "app/MainDlg.h"
#include "app/Vars.h"
#include "install/FolderTree.h"

namespace install {

void RunInstall() {
  if (!CreateFolderTree())
    return;
  app::Vars.WorkDir = app::MainDlg->AppDir.Text();
}

}  // namespace install
