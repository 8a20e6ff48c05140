// The repair without the medium (UNINSTAL.EXE /REPAIR, the Modify command of the product's entry,
// and by itself at each logon: install/LogonRepair.h). It checks the product's files against the
// record, each file the installations placed in the destination (for every user, in the machine's
// bundle too) by the size and CRC it had then,
// and wires again every AutoCAD of the user that lacks its wiring: a release installed or first
// started since the installation, a profile AutoCAD reset, a trusted path taken out. What it
// changes it journals as a run of its own, appended to the record like an installation's, so that
// the uninstaller takes it back with the rest; a repair that fails is undone, as an installation
// is. For an installation for every user, what lacks in the user's profile is each user's part
// (install/UserPart.h), done again; the machine's part is the installation's.
//
// The product's files it places in AutoCAD's folders come from the copy every installation from
// 2004 keeps in the destination's "AutoCAD" folder (install/ForAllUsers.h), and only while each
// still has the size and CRC the record gives it; they are placed only where nothing stands, and
// nothing it did not make is changed but through the patchers' rewrites with backup. A product
// file missing or changed it cannot mend without the medium, and says which.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace config {
class FrontEnd;
}

namespace install {

// Whether the wiring of the installation of the scope lacks anything: for one user, the start-up
// files of the AutoCAD folders the installations chose, every AutoCAD of the user that the
// installation wires, and the menu and command alias of the chosen folders' products; for every
// user, the user's part (install/UserPart.h). Reads the registry and a few files; changes nothing.
bool WiringLacks(bool forAllUsers);

// Whether the repair of the installation recorded in `recordFolder` has anything to do: the folder
// is one an installation keeps its record in and holds it, and its wiring lacks something. What
// the logon's run asks before it writes anything.
bool RepairWanted(const std::string& recordFolder);

struct RepairReport {
  // A record was found in the folder.
  bool recordFound = false;
  // What keeps the record from being used at all (nothing was changed), in the user's language.
  std::optional<std::string> journalProblem;
  // What the repair made again: the files placed or rewritten, the registry values extended.
  std::vector<std::string> repaired;
  // The product's files that are missing or no longer as placed: the medium is needed.
  std::vector<std::string> needsMedium;
  // An error stopped the repair: its text (empty where the log has it), and what of its changes
  // could not be undone.
  std::optional<std::string> failure;
  std::vector<std::string> notUndone;
};

// Repairs the installation recorded in `recordFolder` (for every user: `forAllUsers`), whose
// product's files are in `destination`, telling `frontEnd` each step.
RepairReport Repair(config::FrontEnd& frontEnd, const std::string& recordFolder,
                    const std::string& destination, bool forAllUsers);

}  // namespace install
