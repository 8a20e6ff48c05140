// An installation for every user of the machine (/ALLUSERS), run by an administrator or by a
// deployment tool as SYSTEM, often before anyone has logged on. What lives in the machine's
// folders it does at once: the product's files, the start-up files of an AutoCAD folder, and the
// Autoloader bundle in the 64-bit Program Files, which every AutoCAD from 2012 reads for every
// user (and trusts by default from 2016). What lives in each user's own profile (acaddoc.lsp for
// 2006 to 2011, the menu and command alias for 2004 and 2005, the trusted path for 2014 and 2015)
// nobody can do for a user who has not logged on: Windows' Active Setup runs a command once for
// each user at the next logon whenever the component's version rises. That command is this
// program, kept in the machine's Program Files, which does the user's part while the product is
// installed and takes it away once the product is gone.
#pragma once

#include <string>

#include "toolkit/ChangeRecorder.h"

namespace install {

inline constexpr const char* kActiveSetupKey =
    "HKLM\\Software\\Microsoft\\Active Setup\\Installed Components\\"
    "{7E2B6C41-3F0D-4A8E-9B15-6D4C2A9E8F03}";
inline constexpr const char* kUserPartProgram = "TKUSER.EXE";
// The product's files for the users' support folders, kept below the destination.
inline constexpr const char* kUserFilesFolder = "AutoCAD";

// Program Files\Tolvek, which keeps the program of the users' part: only administrators may
// change or add to what Program Files holds, where ProgramData lets every user make a folder, and
// a user who made Tolvek's first could put a program of his own in the place of the one every
// other user runs at logon.
std::string UserPartFolder();
// The folder below which the machine's bundle lies (the 64-bit Program Files).
std::string MachineBundleBase();

// Copies the running program into UserPartFolder() and writes the Active Setup component with a
// version above any before, so that each user's part is done at the user's next logon. The
// recorder learns of the folder, the file and the key when they are new.
void RegisterForUsers(toolkit::ChangeRecorder& recorder);

// Raises the component's version once more: at each user's next logon the program, finding the
// product gone, takes the user's part away. The program and the component stay for that.
void HandOverToUsers();

}  // namespace install
