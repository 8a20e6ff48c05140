// Takes the product's lines out of an AutoCAD file again: exactly the lines an installation
// inserted (the load or autoload line with its one-blank lines, the toolbar block and its help
// strings, the command alias line), found by their text near where they were put, through the
// same rewrite with backup that put them in. Every other line stays as it is now, the user's own
// changes since the installation included.
#pragma once

#include <vector>

#include "cad/Rewrite.h"

namespace cad {

enum class UnpatchResult {
  kRemoved,    // the lines are out; the file's text before is the backup
  kNotThere,   // the file no longer holds them: left alone
  kMissing,    // there is no such file
  kNotOpened,  // it cannot be opened or renamed (read-only, held by AutoCAD): left alone
};

// The lines of `inserted` (numbered in the text the installation wrote) go from paths.target,
// each run of consecutive numbers as one block that must be found whole; the temporary, backup
// and aside files are those of the installation's rewrite. File failures after the open raise
// EInOutError, with the target holding either its text before or the cleaned one.
UnpatchResult RemoveInsertedLines(const RewritePaths& paths,
                                  const std::vector<InsertedLine>& inserted);

}  // namespace cad
