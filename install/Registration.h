// What makes the product removable the way Windows users expect: the uninstaller (this very
// program, which runs as the uninstaller with /UNINSTALL) copied into the record's folder
// (install/RecordFolder.h), and the product's entry in "Add or Remove Programs" for the current
// user, whose commands start it. The
// entry is written before the installation changes anything of AutoCAD's, so that even a killed
// installation can be removed, and it is where the way back learns, from a source only its owner
// may write, the destination and the AutoCAD folders the installations touched.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/ChangeRecorder.h"

namespace install {

inline constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvek";
inline constexpr const char* kUninstallerName = "UNINSTAL.EXE";
// The entry's own values beside Windows' ones: the AutoCAD folders the installations patched
// (separated by ";"), and the journal's length after the last installation that completed.
inline constexpr const char* kAcadFoldersValue = "AcadFolders";
inline constexpr const char* kJournalSizeValue = "JournalSize";

// The product's entry for the current user, or, for an installation for every user, the
// machine's (in the 64-bit view, where Add or Remove Programs reads it).
std::string EntryKey(bool forAllUsers);
// Where the product's entries may stand, the machine's first.
std::vector<std::string> ProductKeys();

// The command that removes the product, and the one that does it without a window, with the
// uninstaller in `recordFolder`.
std::string UninstallCommand(const std::string& recordFolder);
std::string QuietUninstallCommand(const std::string& recordFolder);
// The command that repairs the product without its medium (install/Repair.h): the entry's
// ModifyPath, which Add or Remove Programs offers beside the removal.
std::string RepairCommand(const std::string& recordFolder);

// Copies the running program to recordFolder\UNINSTAL.EXE, journaled when it is new. It runs
// before the first package is extracted: the program lives on the medium's first disk, which the
// next disk of a multi-disk medium replaces in the drive. An uninstaller an earlier installation
// left is replaced through a temporary copy, so that a kill never leaves half of one. File
// failures raise EInOutError.
void PlaceUninstaller(toolkit::ChangeRecorder& recorder, const std::string& recordFolder);

// Writes the entry (the name and version, publisher, the destination as its location, the
// uninstaller in `recordFolder` as its icon and commands, the repair as its Modify command and no
// Repair button, which Windows gives only to its own installer's packages) with
// `acadFolder` among its AutoCAD folders; the recorder learns of the key before it is made. A
// journal begun afresh (`newJournal`) is not the one an earlier completion measured. Registry
// failures raise ERegistryException.
void RegisterProduct(toolkit::ChangeRecorder& recorder, const std::string& destination,
                     const std::string& recordFolder, const std::string& acadFolder,
                     bool newJournal, bool forAllUsers);

// Points the entry's icon and commands at the uninstaller in `recordFolder`, and forgets the
// journal length it kept: the record it measured has moved. Registry failures raise
// ERegistryException.
void PointEntryAt(const std::string& recordFolder, bool forAllUsers);

// Completes the entry once the installation has: the installed files' size, and the journal's
// length, by which a journal cut short later is told from one a killed installation extended.
void CompleteRegistration(std::uint64_t placedBytes, std::uint64_t journalBytes, bool forAllUsers);

// What the entry says: the destination, and the journal's length at the last completion.
std::optional<std::string> RegisteredDestination();
// The destination the machine's entry names: the product is installed for every user.
std::optional<std::string> MachineDestination();
std::optional<std::uint64_t> RegisteredJournalSize(bool forAllUsers);
// The destination the entry of the scope names, or the configured one.
std::string EntryDestination(bool forAllUsers);
// The AutoCAD folders the installations of the scope chose, as the entry lists them.
std::vector<std::string> RegisteredAcadFolders(bool forAllUsers);

}  // namespace install
