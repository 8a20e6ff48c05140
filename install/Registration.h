// What makes the product removable the way Windows users expect: the uninstaller (this very
// program, which runs as the uninstaller with /UNINSTALL) copied into the destination, and the
// product's entry in "Add or Remove Programs" for the current user, whose commands start it.
#pragma once

#include <string>

namespace install {

class Journal;

inline constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvek";
inline constexpr const char* kUninstallerName = "UNINSTAL.EXE";

// The command that removes the product, and the one that does it without a window.
std::string UninstallCommand(const std::string& destination);
std::string QuietUninstallCommand(const std::string& destination);

// Copies the running program to destination\UNINSTAL.EXE, journaled when it is new. It runs
// before the first package is extracted: the program lives on the medium's first disk, which the
// next disk of a multi-disk medium replaces in the drive. An uninstaller an earlier installation
// left is replaced through a temporary copy, so that a kill never leaves half of one. File
// failures raise EInOutError.
void PlaceUninstaller(Journal& journal, const std::string& destination);

// Writes the entry (the name and version, publisher, location, icon, size, the two commands, no
// Modify or Repair button), journaled when the key is new. It reads nothing of the medium.
// Registry failures raise ERegistryException.
void RegisterProduct(Journal& journal, const std::string& destination);

}  // namespace install
