// The repair without the medium (UNINSTAL.EXE /REPAIR, the Modify command of the product's entry,
// and by itself at each logon: install/LogonRepair.h). It checks the product's files against the
// record, each file the installations placed in the destination by the size and CRC it had then,
// and wires again every AutoCAD that lacks its wiring: a release installed or first started since
// the installation, a profile AutoCAD reset, a trusted path taken out. What it changes it
// journals as a run of its own, appended to the record like an installation's, so that the
// uninstaller takes it back with the rest; a repair that fails is undone, as an installation is.
//
// The product's files it places in AutoCAD's folders come from a copy the record vouches for: one
// an installation placed that still has the size and CRC it had then, the destination's
// "AutoCAD" folder first (install/ForAllUsers.h, kept by every installation from 2004), then the
// bundle's or a support folder's. A file it would place is only placed where nothing stands, and
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

// What the wiring of the installation of the scope lacks, as full paths and registry keys: none
// when it is whole. For one user, the start-up files of the AutoCAD folders the installations
// chose, every AutoCAD of the user that the installation wires, and the menu and command alias of
// the chosen folders' products; for every user, the machine's part (each user's is
// install/UserPart.h's). Reads the registry and a few files; changes nothing.
std::vector<std::string> WiringLacks(bool forAllUsers);

// Whether the repair of the installation recorded in `recordFolder` has anything to do: the folder
// is one an installation keeps its record in and holds it, and its wiring (for every user, also
// the user's part) lacks something. What the logon's run asks before it writes anything.
bool RepairWanted(const std::string& recordFolder);

struct RepairReport {
  // A record was found in the folder.
  bool recordFound = false;
  // What keeps the record from being used at all (nothing was changed), in the user's language.
  std::optional<std::string> journalProblem;
  // What the wiring lacked, and what the repair made or changed for it.
  std::vector<std::string> lacked;
  std::vector<std::string> repaired;
  // The product's files that are missing or no longer as placed: the medium is needed.
  std::vector<std::string> needsMedium;
  // For every user, run without an administrator's rights: what the machine's part lacks.
  std::vector<std::string> needsAdministrator;
  // An error stopped the repair: its text, and what of its changes could not be undone.
  std::optional<std::string> failure;
  std::vector<std::string> notUndone;
};

// Repairs the installation recorded in `recordFolder`, whose product's files are in
// `destination`, telling `frontEnd` each step. For every user (`forAllUsers`), the machine's part
// only with `administrator`, and then the part of the user who runs it.
RepairReport Repair(config::FrontEnd& frontEnd, const std::string& recordFolder,
                    const std::string& destination, bool forAllUsers, bool administrator);

}  // namespace install
