// Undoing a failed installation's changes, and settling what a killed run left half done before
// the next one starts. Both go through install/Undo.h, each with its policy.
#pragma once

#include <string>
#include <vector>

#include "install/Journal.h"
#include "install/RecordBounds.h"

namespace config {
class FrontEnd;
}

namespace install {

// Undoes `journal`'s run, newest first: AutoCAD's files get their previous bytes back, the files
// and then the folders the run created go, and the run leaves the journal. Returns what could not
// be put back.
std::vector<std::string> RollBack(config::FrontEnd& frontEnd, Journal& journal,
                                  const std::string& destination);

// Settles, from `journal`, what every killed run left half done: a swap of an AutoCAD file cut
// short between its renames is finished (a file missing beside its complete copy gets the copy,
// missing beside only its backup the backup, and an old backup left aside goes back to its name),
// and a file the library was writing is taken away. Only records within `roots` are acted on.
// Returns the files it repaired or removed.
std::vector<std::string> RepairInterruptedRuns(config::FrontEnd& frontEnd,
                                               const JournalFile& journal,
                                               const TrustedRoots& roots);

}  // namespace install
