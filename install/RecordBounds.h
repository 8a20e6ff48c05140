// What a journal record may name. The journal lies in the destination folder, which others of the
// machine may have been able to write, and an uninstallation often runs with more rights than
// whoever wrote it (an administrator, a deployment tool). So before the way back acts on a record
// read from the disk, the record is checked against roots that come from sources the installer
// trusts, never from the journal itself: the destination from the product's entry (or the
// configuration), AutoCAD's folders and the profiles' support folders from AutoCAD's registry,
// the bundle's folder from the shell's known folders, the registry keys and values the product
// writes, and the file names and lines the installer uses. A record that names anything else is
// not acted on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "install/JournalFormat.h"

namespace install {

struct TrustedRoots {
  std::string destination;
  // Folders whose start-up AutoLISP files may have been patched, with their "support" folders:
  // where the registry says an AutoCAD is installed, and the folders the product's entry lists.
  std::vector<std::string> acadFolders;
  // The support folders of every AutoCAD product's profile, from the user's hive.
  std::vector<std::string> supportFolders;
  // The folders that hold the product's Autoloader bundle ("...\ApplicationPlugins").
  std::vector<std::string> pluginFolders;
  // The machine's folder of the program that does each user's part.
  std::string userPartFolder;
  // Where the installation's record and uninstaller live (install/RecordFolder.h).
  std::string recordFolder;
  // The registry keys the product creates.
  std::vector<std::string> keys;
  std::string group;
};

// The roots of the product installed in `destination`, with AutoCAD folders known besides the
// registry's: those the product's entry lists, and `chosen` (the folder the user picked now).
TrustedRoots GatherTrustedRoots(const std::string& destination, const std::string& recordFolder,
                                const std::vector<std::string>& chosen = {});

// How far a run's records are trusted. A journal kept where only its owner writes is the
// product's own record; one an earlier version kept in the destination, where others may have
// written, is held to less: its files go only by their size and CRC, and only those of the
// product's folder, its bundle and its own file names, never AutoCAD's acaddoc.lsp.
enum class RecordTrust { kOwn, kMoved };

// The trusted folder below which the change acts, when it lies wholly within what the product
// owns for a run of `kind`: every file operation of its undo goes through that folder, never
// through a link (toolkit::fs::RootedPaths). Empty for a change of the registry or the Program
// Manager; nothing for one that is out of bounds.
std::optional<std::string> RootOf(const Change& change, RunKind kind, const TrustedRoots& roots,
                                  RecordTrust trust = RecordTrust::kOwn);

// Whether the change lies wholly within what the product owns, for a run of `kind`.
bool InBounds(const Change& change, RunKind kind, const TrustedRoots& roots,
              RecordTrust trust = RecordTrust::kOwn);

// The path as Windows resolves it, for comparing: a-z folded, separators single and none at the
// end. Nothing for a path that is not absolute or that has a "." or ".." part, a colon past its
// drive, a device's name, or characters no file name holds.
std::optional<std::string> ComparablePath(const std::string& path);

// Whether two paths name one file or folder as Windows resolves them; never for a path that
// ComparablePath refuses.
bool SamePath(const std::string& a, const std::string& b);

}  // namespace install
