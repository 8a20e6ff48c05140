// An installation made by a version that kept its record and uninstaller in the destination stays
// removable: the next installation moves that record into the record's folder
// (install/RecordFolder.h), where it is kept as MOVED.JNL and read from then on as what it was, a
// file others may have written (RecordTrust::kMoved). The product's entry is pointed at the
// uninstaller there, and the old record and uninstaller leave the destination.
#pragma once

#include <string>

#include "install/RecordBounds.h"

namespace config {
class FrontEnd;
}

namespace install {

// Moves the earlier record of the installation in `destination` (for every user, or this
// user's), when there is one, into `recordFolder`, after settling what a killed run of it left
// half done within `roots`. Runs only once the destination has passed the checks that make it
// the installer's. File and registry failures raise their errors; what was moved stays moved.
void MoveEarlierRecord(config::FrontEnd& frontEnd, const std::string& destination,
                       const std::string& recordFolder, bool forAllUsers,
                       const TrustedRoots& roots);

}  // namespace install
