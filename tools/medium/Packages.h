// How a product folder becomes the medium's eighteen packages.
//
// The product folder is laid out like the installed destination tree, plus two folders that
// have no place of their own there:
//   autocad/    -> cad-acad.pck   files for AutoCAD's support folder, directly in autocad/; it must
//                                 hold tkicon1.bmp, tkicon2.bmp and tolvek.lsp, which the installer
//                                 takes out of it one by one
//   cfg/        -> cfg-acad.pck   the destination's "cfg" folder
//   help-acad/  -> hlp-acad.pck   help pages for the AutoCAD product, into the destination's "help"
//   help/       -> hlp.pck        the product's general help (readme.rtf), also into "help"
//   <each target folder of extract::PackageTable> -> its package, e.g. parts/pneumatica/img/
//                                 -> parts-pneumatica-img.pck
//   files directly in the product folder -> tk.pck, the destination root
// Folder names are matched without regard to case, as the installer's file system does. A file
// goes to the package of the deepest folder that holds it, so parts/pneumatica/ packs everything
// below it except parts/pneumatica/img/. A file that no package takes (store/, userparts/,
// parts/special/, a folder the installer does not know) is refused, and so are two files that
// would land on the same installed name (help/x and help-acad/x): the medium never loses a file
// silently. Empty folders are not packed; the installer creates the tree itself.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace medium {

// One package and the product folder it is made from.
struct PackageSource {
  std::string package;      // file name on the medium, e.g. "parts-img.pck"
  std::string folder;       // product folder, lower case, '/' separated; empty for the root
  bool wholeTree = true;    // false: only the files directly in the folder
  std::string destination;  // where the installer puts the files, for telling clashes apart
};

// Every package in the order the installer asks for them: the sequence's three, then the table.
std::vector<PackageSource> PackageSources();

struct PackedFile {
  std::string name;  // member name, relative to the package's folder, '/' separated
  std::filesystem::path source;
};

struct PackagePlan {
  PackageSource source;
  std::vector<PackedFile> files;  // sorted by member name
};

// The product's files, assigned to their packages; every package appears, empty or not.
std::vector<PackagePlan> PlanPackages(const std::filesystem::path& productDir);

// The files the installer extracts by name out of cad-acad.pck.
inline constexpr const char* kCadFiles[] = {"tkicon1.bmp", "tkicon2.bmp", "tolvek.lsp"};

}  // namespace medium
