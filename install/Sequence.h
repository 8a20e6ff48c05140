// The whole installation, run by the main dialog's install button: the destination tree, the
// product wired into AutoCAD, the packages extracted, and the completion step. An error ends it
// where it happens and reaches the application's handler; abandoning at a disk prompt ends it
// silently.
#pragma once

namespace config {
class FrontEnd;
}

namespace install {

// Runs the installation, talking to the user through `frontEnd`. True when it completed; false
// when it stopped before touching anything because the AutoCAD folder does not exist.
bool RunInstall(config::FrontEnd& frontEnd);
// Shows the end status, marks the installation done, offers the program group, reports success
// and, for the Windows NT family, asks for a restart.
void FinishInstall(config::FrontEnd& frontEnd);

}  // namespace install
