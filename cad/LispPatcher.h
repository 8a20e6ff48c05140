// Wires the product into AutoCAD's start-up AutoLISP files, so that AutoCAD loads the product's
// AutoLISP file at start-up. Every start-up file of releases 12 to 2005 found under the AutoCAD
// folder gets the line (the candidates are in cad/LispCandidates.h); a file that already names
// the product is left alone, and a changed one keeps its old text as base + ".bak".
#pragma once

#include <string>

#include "toolkit/ChangeRecorder.h"

namespace cad {

// Patches every candidate found under `acadFolder` (used as given, without a trailing
// backslash). Which candidates are present is decided before any file changes: one that exists
// but is read-only or locked counts as absent. Returns the result of the last candidate patched,
// and false when none is present, so that the user is told to add the line by hand. File
// failures after a file was opened raise EInOutError and end the run there.
bool PatchAcadLisp(const std::string& acadFolder, toolkit::ChangeRecorder& recorder);

// Whether PatchAcadLisp would find any candidate present under `acadFolder`.
bool AnyLispCandidatePresent(const std::string& acadFolder);
// Whether PatchAcadLisp would add the product's line to a candidate present under `acadFolder`
// (cad::RewriteWouldAdd); nothing is changed.
bool AnyLispCandidateLacksLine(const std::string& acadFolder);

// The release 12 to 14 change: "(autoload "tolvek" '("tolvek"))" between two one-space lines
// after every line holding "AUTOLOAD LISP APPLICATIONS", unless a line holds "AUTOLOAD "TOLVEK".
// The file is folder + base + extension; false when it cannot be opened.
bool AddAutoloadLine(const std::string& folder, const std::string& base,
                     const std::string& extension, toolkit::ChangeRecorder& recorder);

// The 2000 to 2005 change: "(load "tolvek" '("tolvek"))" between two one-space lines after every
// line holding "ACAD2000DOC", "ACAD2002DOC" or "ACAD2004DOC", unless a line holds "LOAD "TOLVEK".
bool AddLoadLine(const std::string& folder, const std::string& base, const std::string& extension,
                 toolkit::ChangeRecorder& recorder);

}  // namespace cad
