#include "cad/PgpPatcher.h"

#include <string_view>

#include "cad/Rewrite.h"
#include "toolkit/FileSystem.h"

namespace cad {
namespace {

// Any mention of the product, the added line included, counts as an earlier installation.
constexpr std::string_view kPgpMarker = "Tolvek";

}  // namespace

bool PatchAcadPgp(int /*mode*/, const std::string& folder, const std::string& fileName,
                  toolkit::ChangeRecorder& recorder) {
  const std::string base = toolkit::fs::StripTrailingBackslash(folder);
  return RewriteWithBackup(
      folder + fileName, base + "\\" + std::string(kPgpTempName),
      base + "\\" + std::string(kPgpBackupName), kPgpMarker,
      [](std::string_view line, LineWriter& copy) { copy.WriteLine(line); }, {kRunLine}, recorder);
}

bool PgpLacksCommand(const std::string& folder, const std::string& fileName) {
  return RewriteWouldAdd(folder + fileName, kPgpMarker, {}, true);
}

}  // namespace cad
