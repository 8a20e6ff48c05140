// INSTALL.EXE run as UNINSTAL.EXE /REPAIR: from the Modify command of the product's entry in Add
// or Remove Programs, a command line or a deployment tool, and with /LOGON from the Run value at
// each logon (install/LogonRepair.h). The repair itself is install/Repair.h's; this runs it in
// place (it removes nothing, so it needs no copy of itself), and says what it repaired and what
// needs the medium, in a box and in its log, with an exit code of its own for the latter.
#pragma once

#include "app/Options.h"

namespace app {

struct Session;

// The repair's exit code for the product's files that need the medium: the Windows Installer's
// "the installation source for this product is not available". The wiring was repaired as far as
// it could be.
inline constexpr int kExitSourceAbsent = 1612;

// Whether a run at the logon has anything to do: nothing is written, not even the log, and the
// run ends at once, when the wiring (/REPAIR /LOGON) or the user's part (/USER /LOGON) lacks
// nothing. Asked before the run takes the installers' mutex and opens its log.
bool LogonRunWanted(const Options& options);

// The repair of the installation whose record lies in the program's folder (or /FROM=): 0 when
// it was whole or has been repaired, 1612 when a product file needs the medium, 1603 when there
// is no record there, the record cannot be used or the repair failed (and was undone), 1602 or
// 1618 when AutoCAD runs and was not closed.
int RunRepair(Session& session);

}  // namespace app
