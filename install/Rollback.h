// Undoing an installation's changes, and repairing an AutoCAD file whose swap a killed installer
// left half done. Both work from the journal's record of the changes, newest first, and never
// take away a file that stood before the installation or that has changed since it was made.
#pragma once

#include <string>
#include <vector>

#include "install/Journal.h"

namespace install {

// Undoes `journal`'s run: AutoCAD's files get their previous text back, the files and then the
// folders the run created go, and the run leaves the journal. Returns what could not be put back.
std::vector<std::string> RollBack(Journal& journal, const std::string& destination);

// Finishes, from the journal at `journalPath`, every swap of an AutoCAD file that was cut short:
// a file missing beside its complete copy gets the copy (missing beside only its backup, the
// backup), and an old backup left aside goes back to its name. Returns the files it repaired.
std::vector<std::string> RepairInterruptedSwaps(const std::string& journalPath);

}  // namespace install
