// Adds the command RUNTOLVEK, which starts the product's program, to AutoCAD's command alias file
// (acad.pgp). A file that mentions the product in any spelling is left alone; a changed one keeps
// its old text as "pgp.bak" in the same folder.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/ChangeRecorder.h"

namespace cad {

// Fixed text, not built from the destination folder: AutoCAD's alias syntax wants forward slashes.
inline constexpr std::string_view kRunLine = "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,";
inline constexpr std::string_view kPgpTempName = "pgp.new";
inline constexpr std::string_view kPgpBackupName = "pgp.bak";

// Patches folder + fileName, appending "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,," after the
// last line; the temporary and backup files are "pgp.new" and "pgp.bak" in `folder`, whose
// trailing backslash is dropped first. `mode` has no effect. Returns false when the file cannot be
// opened, true when it already mentions the product or has been rewritten. File failures after
// the open raise EInOutError.
bool PatchAcadPgp(int mode, const std::string& folder, const std::string& fileName,
                  toolkit::ChangeRecorder& recorder);
// Whether PatchAcadPgp would add the command to folder + fileName: nothing is changed.
bool PgpLacksCommand(const std::string& folder, const std::string& fileName);

}  // namespace cad
