// The whole installation, run by the main dialog's install button: the destination tree, the
// product wired into AutoCAD, the packages extracted, and the completion step. An error ends it
// where it happens and reaches the application's handler; abandoning at a disk prompt ends it
// silently.
#pragma once

namespace install {

void RunInstall();
// Shows the end status, marks the installation done, offers the program group, reports success
// and, for the Windows NT family, asks for a restart.
void FinishInstall();

}  // namespace install
