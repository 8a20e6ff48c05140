// The whole installation, run by the main dialog's install button: the destination tree, the
// product wired into AutoCAD, the packages extracted, and the completion step. An error ends it
// where it happens and reaches the application's handler; abandoning at a disk prompt ends it
// silently.
#pragma once

#include "toolkit/ChangeRecorder.h"
#include "toolkit/Errors.h"

namespace config {
class FrontEnd;
}

namespace install {

// Something the installation needs is missing; nothing was changed.
class EInstallationRefused : public toolkit::Exception {
 public:
  using toolkit::Exception::Exception;
};

// The installation failed part-way; its changes were undone (the text says whether all were).
class EInstallationFailed : public toolkit::Exception {
 public:
  using toolkit::Exception::Exception;
};

// Runs the installation, talking to the user through `frontEnd`. True when it completed; false
// when it stopped before touching anything because the AutoCAD folder does not exist. Otherwise
// it undoes what it changed: a failure raises EInstallationRefused (before any change) or
// EInstallationFailed, abandoning at a disk prompt the silent abort. An AutoCAD that runs and is
// not closed raises the silent abort too, before any change.
bool RunInstall(config::FrontEnd& frontEnd);
// Shows the end status, marks the installation done, offers the program group, reports success
// (followed by `closing`, what the success box has to add) and, for the Windows NT family, asks
// for a restart. The recorder learns of the group.
void FinishInstall(config::FrontEnd& frontEnd, toolkit::ChangeRecorder& recorder,
                   const std::string& closing = {});

}  // namespace install
