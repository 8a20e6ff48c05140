#include "cad/PgpPatcher.h"

#include <string_view>

#include "cad/Rewrite.h"
#include "toolkit/FileSystem.h"

namespace cad {
namespace {

// Fixed text, not built from the destination folder: AutoCAD's alias syntax wants forward slashes.
constexpr std::string_view kRunLine = "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,";
// Any mention of the product, the added line included, counts as an earlier installation.
constexpr std::string_view kPgpMarker = "Tolvek";

}  // namespace

bool PatchAcadPgp(int /*mode*/, const std::string& folder, const std::string& fileName) {
  const std::string base = toolkit::fs::StripTrailingBackslash(folder);
  return RewriteWithBackup(folder + fileName, base + "\\pgp.new", base + "\\pgp.bak", kPgpMarker,
                           [](std::string_view line, LineWriter& copy) { copy.WriteLine(line); },
                           {kRunLine});
}

}  // namespace cad
