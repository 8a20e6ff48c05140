// Undoing a failed installation's changes, and settling what a killed run left half done before
// the next one starts. Both are the one replay of install/Undo.h, each with its policy.
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
// and then the folders the run created go, and the run leaves the journal. Every path is reached
// below its root in `roots`, never through a link. Returns what could not be put back.
std::vector<std::string> RollBack(config::FrontEnd& frontEnd, Journal& journal,
                                  const TrustedRoots& roots);

// Settles, from `journal`, what every killed run left half done: a swap of an AutoCAD file cut
// short between its renames is finished (a file missing beside its complete copy gets the copy,
// missing beside only its backup the backup), an uninstallation's safety copy left behind goes,
// and, on the product's own record, a file the library was writing is taken away. Only records
// within `roots` are acted on. Returns the files it repaired or removed.
std::vector<std::string> RepairInterruptedRuns(config::FrontEnd& frontEnd,
                                               const JournalFile& journal,
                                               const TrustedRoots& roots, RecordTrust trust);

}  // namespace install
