// Everything the installer puts into AutoCAD's folders or changes there, by name: the product's
// files, the AutoCAD files it rewrites with the temporary and backup names of each rewrite, and
// the lines it adds. The way back acts only on what this names, whatever a journal says.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace cad {

// The product's toolbar bitmaps and AutoLISP file, which go into AutoCAD's support folder (and
// into a bundle's Contents folder).
inline constexpr std::array<std::string_view, 3> kProductFiles{"tkicon1.bmp", "tkicon2.bmp",
                                                               "tolvek.lsp"};
// Whether one of the product's files is missing from `folder` (with or without a final
// backslash): a placing of the product's files there would add it.
bool AnyProductFileMissing(const std::string& folder);

// The user's document start-up file, which the installer makes when there is none.
inline constexpr std::string_view kAcadDocName = "acaddoc.lsp";
inline constexpr std::string_view kAcadDocBackupName = "acaddoc.bak";

// A file the installer rewrites, and the names its rewrite uses beside it.
struct RewrittenFile {
  std::string temp;
  std::string backup;
};

// The rewrite of a file of this name (without its folder), compared without regard to case;
// nothing for a file the installer never rewrites.
std::optional<RewrittenFile> FindRewrittenFile(std::string_view name);

// Whether the path (or name) names the user's document start-up file, in any case.
bool IsAcadDocName(const std::string& path);

// Whether the installer ever adds this line to an AutoCAD file.
bool IsProductLine(std::string_view line);

}  // namespace cad
