// Each user's part of an installation for every user (install/ForAllUsers.h), run with /USER by
// Active Setup as the user logs on. While the machine's entry says the product is installed, what
// lives in the user's own profile is done for every AutoCAD the user has started: the product's
// files and acaddoc.lsp's load block for 2006 to 2011, the files, the menu's toolbar and the
// command alias for 2004 and 2005, the bundle's trusted path for 2014 and 2015. It is journaled
// in the user's own application data ("Tolvek\INSTALL.JNL"), and harmless to run again: what is
// done is found done. Once the product is gone, the same command takes the user's part away.
#pragma once

#include <string>
#include <vector>

#include "install/JournalFormat.h"

namespace config {
class FrontEnd;
}

namespace install {

// The user's folder of the user's part: its journal.
std::string UserPartJournalFolder();

// Does or takes away the user's part, telling `frontEnd` each step; false when a step failed.
// Where the part was done, `made` gets its changes.
bool RunUserPart(config::FrontEnd& frontEnd, std::vector<Change>* made = nullptr);

// Whether the user's part lacks anything while the product is installed for every user: for an
// AutoCAD the user has started, what a run of the user's part would add (a profile reset, a
// release started for the first time since). Reads the registry and a few files, and changes
// nothing: a logon at which nothing lacks writes nothing, not even the log (/USER /LOGON).
bool UserPartLacks();

}  // namespace install
