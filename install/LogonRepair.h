// The repair that runs by itself at each logon (install/Repair.h): a value of Windows' Run key
// that starts, for an installation for one user, the uninstaller in the user's record folder with
// /REPAIR /LOGON (from the user's own Run key), and for an installation for every user the program
// of the users' part with /USER /LOGON (from the machine's Run key, for every user). Either looks
// at the registry and a few files and ends with nothing written when nothing lacks.
//
// A Run value starts its program as whoever logs on: a program in a folder another user may write
// would let that user run anything as them. So the value names only the program of the record's
// folder, which only its owner may change (%LOCALAPPDATA%\Tolvek for one user, Program Files\Tolvek
// for every user), and nothing where the record lies in the destination (Windows 9x, which keeps no
// local application data). The value is journaled as an entry added to a value that did not
// exist, and the way back deletes it only while it still holds that command.
#pragma once

#include <string>

#include "toolkit/ChangeRecorder.h"

namespace install {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Tolvek";

// The Run key of the scope: the user's, or the machine's (64-bit view).
std::string RunKey(bool forAllUsers);

// The command the value holds: the uninstaller in `folder` with /REPAIR /LOGON for one user; for
// every user the program of the users' part in `folder` with /USER /LOGON.
std::string LogonCommand(bool forAllUsers, const std::string& folder);

// Writes the value for the installation whose record lies in `recordFolder`, the recorder told
// before; nothing when the record lies in `destination`. A value of that name that is there
// already is left as it is: it is an earlier installation's, or not the product's at all.
// Registry failures raise ERegistryException.
void RegisterLogonRepair(toolkit::ChangeRecorder& recorder, bool forAllUsers,
                         const std::string& recordFolder, const std::string& destination);

}  // namespace install
