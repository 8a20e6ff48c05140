// Each user's part of an installation for every user (install/ForAllUsers.h), run with /USER by
// Active Setup as the user logs on. While the machine's entry says the product is installed, what
// lives in the user's own profile is done for every AutoCAD the user has started: the product's
// files and acaddoc.lsp's load block for 2006 to 2011, the files, the menu's toolbar and the
// command alias for 2004 and 2005, the bundle's trusted path for 2014 and 2015. It is journaled
// in the user's own application data ("Tolvek\INSTALL.JNL"), and harmless to run again: what is
// done is found done. Once the product is gone, the same command takes the user's part away.
#pragma once

#include <string>

namespace config {
class FrontEnd;
}

namespace install {

// The user's folder of the user's part: its journal.
std::string UserPartJournalFolder();

// Does or takes away the user's part, telling `frontEnd` each step; false when a step failed.
bool RunUserPart(config::FrontEnd& frontEnd);

}  // namespace install
