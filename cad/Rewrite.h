// The one way the installer changes AutoCAD's own text files. The file is read line by line for a
// trace of an earlier installation; without one, a changed copy is written to a temporary file,
// the file as it was becomes the backup, and the copy takes its name. The file is never changed
// in place, so AutoCAD finds under the file's name either the old text or the complete new one,
// and a recorder told of each swap can finish or undo one that a killed process left half done.
// A file to which the copy would add nothing is not rewritten at all.
#pragma once

#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "cad/LineReader.h"
#include "cad/LineWriter.h"
#include "toolkit/ChangeRecorder.h"
#include "toolkit/FileSystem.h"

namespace cad {

// What stands in the copy for one line of the original: the patchers write the line itself and
// then the lines they add after it.
using CopyRule = std::function<void(std::string_view line, LineWriter& copy)>;

// The aside name of a backup, under which installers before the backups took free names let an
// older backup wait while the file became the new one; journals still name it.
std::string AsideNameOf(const std::string& backupPath);

// Rewrites `targetPath` through a copy, keeping the old text as a backup; `trailer` lines follow
// the last copied line. Every line of the copy ends with CR LF. The copy is written under
// `tempPath` and the backup named `backupPath`, each unless a file of that name stands already (a
// user's own backup, a file someone left), which is never replaced: the copy or the backup then
// takes the next free name (toolkit::fs::FreeName: "acaddoc-2.bak"). `recorder` is told of the
// swap, with the names taken, both texts' sizes and CRCs and the original's line ends, before and
// after its renames, and of a file left as it was.
//
// Returns false, with nothing changed and no temporary file left, when the target cannot be
// opened for reading and writing (missing, read-only, locked, bad path) or when another program
// holds it so that it cannot be renamed (codes 5, 32, 33); true when a line already contains
// `marker` or the copy would add no line (nothing is written) or when the copy has replaced the
// target. Any other file failure raises EInOutError; the target's name then still holds the old
// text (or, after the last rename, the new one with the old text as the backup), and at most a
// stray temporary file remains.
bool RewriteWithBackup(const std::string& targetPath, const std::string& tempPath,
                       const std::string& backupPath, std::string_view marker,
                       const CopyRule& copyRule, std::initializer_list<std::string_view> trailer,
                       toolkit::ChangeRecorder& recorder);

// Whether RewriteWithBackup would change the file, found without changing anything: it opens for
// reading and writing, no line holds `marker`, and its copy would add a line, after a line that
// holds one of `insertionPoints`, or at its end when `appends` (a trailer). The repair's look at
// the wiring reads the patchers' files through this, so that what it finds lacking is what a
// rewrite would add, and a file a rewrite would leave as it is never counts as lacking.
bool RewriteWouldAdd(const std::string& targetPath, std::string_view marker,
                     std::span<const std::string_view> insertionPoints, bool appends);

// The renames of a rewrite whose copy is complete under swap.temp, each through `where` (the
// target's folder), never through a link: the target becomes the backup (whose name is free),
// the copy takes the target's name. False, with every file as it was and
// the copy deleted, when another program keeps the target from being renamed (codes 5, 32, 33);
// other failures raise EInOutError with the target's name holding one of the two texts.
bool SwapIn(const toolkit::FileSwap& swap, const toolkit::fs::RootedPaths& where);

}  // namespace cad
