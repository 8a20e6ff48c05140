#include "cad/MenuPatcher.h"

#include "cad/Marker.h"
#include "cad/MenuLines.h"
#include "cad/Rewrite.h"

namespace cad {

bool PatchAcadMenu(int mode, const std::string& folder, const std::string& fileName,
                   toolkit::ChangeRecorder& recorder) {
  // No caller asks for anything else; rewriting with no rule would empty the user's menu file.
  if (mode != kMenuAddToolbar) return false;
  const Marker toolbars(kToolbarsHeading);
  const Marker helpStrings(kHelpStringsHeading);
  auto copyRule = [&](std::string_view line, LineWriter& copy) {
    copy.WriteLine(line);
    // A line holding both headings gets the toolbar only.
    if (toolbars.FoundIn(line)) {
      for (std::string_view added : kToolbarBlock) copy.WriteLine(added);
    } else if (helpStrings.FoundIn(line)) {
      for (std::string_view added : kHelpStringBlock) copy.WriteLine(added);
    }
  };
  const std::string_view marker = fileName == kAcltMenuName ? kAcltMarker : kMenuMarker;
  return RewriteWithBackup(folder + fileName, folder + std::string(kMenuTempName),
                           folder + std::string(kMenuBackupName), marker, copyRule, {}, recorder);
}

bool MenuLacksToolbar(const std::string& folder, const std::string& fileName) {
  static constexpr std::string_view kHeadings[] = {kToolbarsHeading};
  const std::string_view marker = fileName == kAcltMenuName ? kAcltMarker : kMenuMarker;
  return RewriteWouldAdd(folder + fileName, marker, kHeadings, false);
}

}  // namespace cad
