// The destination folder tree: checks the AutoCAD folder, then makes sure the destination and its
// fixed sub-folders exist, creating what is missing and leaving what is there untouched.
#pragma once

#include "toolkit/ChangeRecorder.h"

namespace config {
class FrontEnd;
}

namespace install {

// False, after the AutoCAD-folder message, when the AutoCAD folder does not exist; nothing has
// been created then. True when the tree is in place: the current folder is then "UserParts"
// below the destination and the run's folder being worked on (RunState::workDir) is the
// destination.
bool CreateFolderTree(config::FrontEnd& frontEnd);

// The two halves of CreateFolderTree, for an installation that looks at everything else it needs
// between them. The check shows the message and gives false when the AutoCAD folder (where the
// dialog asks for one) does not exist, and otherwise takes the final backslash off its name.
bool CheckCadFolder(config::FrontEnd& frontEnd);
// `recorder` is told of every folder the tree gains.
void BuildDestinationTree(config::FrontEnd& frontEnd, toolkit::ChangeRecorder& recorder);

// Gives the destination its own access list: only the system, administrators and the installing
// user may change it (and the installation's journal in it), every user may read and run it; the
// users' own parts every user may change. For every user, the installing user is no exception,
// and the administrators own the folder. A folder that refuses is noted for the log.
void ProtectDestinationTree(config::FrontEnd& frontEnd);

// An installation for every user takes over a destination that exists already, before it
// builds the tree in it: the administrators own it and all it holds, with nobody else's access
// left. A destination that is, or holds, a link (which could lead the installation and that
// change anywhere) raises EInstallationRefused with nothing changed.
void ClaimMachineDestination(config::FrontEnd& frontEnd);

// An installation for one user does not take over what another user made, but it does not go
// through a link either: a destination that is, or holds, one (a user may have made the folder,
// and a link in it to another user's documents, before) raises EInstallationRefused with
// nothing changed.
void RefuseLinkedDestination(config::FrontEnd& frontEnd);

}  // namespace install
