// Makes AutoCAD 2006 to 2011 load the product's AutoLISP file with every drawing through
// acaddoc.lsp: the user's own file, which AutoCAD does not ship, and which it loads from the first
// folder of its support path that holds one. The profile's Support folder, where the product's
// AutoLISP file goes, comes first in that path.
#pragma once

#include <string>

#include "toolkit/ChangeRecorder.h"

namespace cad {

enum class AcadDocResult {
  kNotOpened,  // the folder is missing, or the file exists but is read-only or locked: unchanged
  kPatched,    // the file loads the product now (it may have done so before)
  kCreated,    // there was no file: it holds just the block, and is the installation's own
};

// Adds the load block of the 2000 to 2005 document files (cad/LispCandidates.h) after the last
// line of supportFolder + "acaddoc.lsp", through the rewrite with backup ("acaddoc.bak") and its
// marker "LOAD "TOLVEK", so that a file that already loads the product is left alone. A missing
// file is created holding just the block. `supportFolder` ends with a backslash, as
// GetAcadSupportDir gives it. File failures after the file was opened raise EInOutError.
AcadDocResult AddLoadBlockToAcadDoc(const std::string& supportFolder,
                                    toolkit::ChangeRecorder& recorder);
// Whether AddLoadBlockToAcadDoc would add the block (or make the file): the folder exists, and
// its acaddoc.lsp is missing or would take the block. Nothing is changed.
bool AcadDocLacksLoad(const std::string& supportFolder);

}  // namespace cad
