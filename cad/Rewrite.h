// The one way the installer changes AutoCAD's own text files. The file is read line by line for a
// trace of an earlier installation; without one, a changed copy is written to a temporary file,
// the file as it was becomes the backup, and the copy takes its name. The file is never changed
// in place, so AutoCAD finds under the file's name either the old text or the complete new one.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "cad/LineReader.h"
#include "cad/LineWriter.h"

namespace cad {

// What stands in the copy for one line of the original: the patchers write the line itself and
// then the lines they add after it.
using CopyRule = std::function<void(std::string_view line, LineWriter& copy)>;

// Rewrites `targetPath` through `tempPath`, keeping the old text as `backupPath`; `trailer` lines
// follow the last copied line. Every line of the copy ends with CR LF.
//
// Returns false, with nothing changed, when the target cannot be opened for reading and writing
// (missing, read-only, locked, bad path); true when a line already contains `marker` (nothing is
// written) or when the copy has replaced the target. Any later file failure raises EInOutError;
// the target's name then still holds the old text (or, after the last rename, the new one with
// the old text as the backup), and at most a stray temporary file remains.
bool RewriteWithBackup(const std::string& targetPath, const std::string& tempPath,
                       const std::string& backupPath, std::string_view marker,
                       const CopyRule& copyRule,
                       std::initializer_list<std::string_view> trailer = {});

}  // namespace cad
