// Takes an installation's rewrite of an AutoCAD file back. While the file is still exactly what
// the installation wrote, its bytes from before come back exactly: from the backup while that
// still holds them, or else rebuilt from the file by taking out the product's lines and giving
// every other line its own end again. Once the user has changed the file, only the product's
// lines go (found by their text near where they were put), and every other line keeps its bytes,
// its line end included. A file is never changed in place: the new text is written under the
// installation's temporary name and swapped in, and the backup, the user's safety copy of the
// file before the installation, is never overwritten.
#pragma once

#include <string>

#include "toolkit/ChangeRecorder.h"
#include "toolkit/FileSystem.h"

namespace cad {

enum class UnpatchResult {
  kRestored,   // the file holds its bytes from before the installation again
  kRemoved,    // the file had changed since: the product's lines went, every other byte stayed
  kNotThere,   // the file holds none of the product's lines: left alone
  kMissing,    // there is no such file
  kNotOpened,  // it cannot be opened or renamed (read-only, held by AutoCAD): left alone
};

struct UnpatchOutcome {
  UnpatchResult result = UnpatchResult::kMissing;
  // The undo's own safety copy, when it could not be deleted after the swap: it holds the file's
  // text from before the undo, and the next run takes it away.
  std::string safetyCopyLeft;
  friend bool operator==(const UnpatchOutcome&, const UnpatchOutcome&) = default;
};

enum class BackupUse {
  // The backup is the run's own, made moments ago: it takes the file's name again.
  kRename,
  // The backup is the user's safety copy: it is read and left where it is.
  kKeep,
};

// The name under which the undo keeps the file it replaces while the replacement takes its
// place (or the next free one, toolkit::fs::FreeName); it goes once the swap is done. The
// backup's name stays the user's.
std::string SafetyNameOf(const std::string& target);

// Undoes `swap` (as the installation recorded it: both texts' sizes and CRCs, the original's
// line ends and the lines inserted). Every file is reached through `where` (the trusted folder
// the file lies in), never through a link. `recorder` is told of the undo's own swap, before its
// renames, so that a kill between them is settled like any other. File failures after the file
// was read raise EInOutError, with the file's name holding one of its two texts.
UnpatchOutcome UndoRewrite(const toolkit::FileSwap& swap, BackupUse backupUse,
                           const toolkit::fs::RootedPaths& where,
                           toolkit::ChangeRecorder& recorder);

// For a rewrite recorded without the texts' sizes and CRCs (an older journal): only the inserted
// lines go, every other line keeping its bytes.
UnpatchOutcome RemoveInsertedLines(const toolkit::FileSwap& swap,
                                   const toolkit::fs::RootedPaths& where,
                                   toolkit::ChangeRecorder& recorder);

}  // namespace cad
