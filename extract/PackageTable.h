// The product's packages that go into the destination tree, in the order they are extracted
// (and so the order in which the disks of a multi-disk medium hold them).
#pragma once

namespace extract {

struct PackageRow {
  const char* package;  // appended to the installer's folder
  const char* target;   // appended to the destination folder
};

inline constexpr PackageRow PackageTable[] = {
    {"\\acrobat.pck", "\\acrobat\\"},
    {"\\hlp.pck", "\\help\\"},
    {"\\img.pck", "\\images\\"},
    {"\\tk.pck", "\\"},
    {"\\tol.pck", "\\tol\\"},
    {"\\parts-bin.pck", "\\parts\\bin\\"},
    {"\\parts-harvo.pck", "\\parts\\harvo\\"},
    {"\\parts-vimora.pck", "\\parts\\vimora\\"},
    {"\\parts-img.pck", "\\parts\\img\\"},
    {"\\parts-quessa.pck", "\\parts\\quessa\\"},
    {"\\parts-dulma.pck", "\\parts\\dulma\\"},
    {"\\parts-kx.pck", "\\parts\\kx\\"},
    {"\\parts-corvani.pck", "\\parts\\corvani\\"},
    {"\\parts-pneumatica.pck", "\\parts\\pneumatica\\"},
    {"\\parts-pneumatica-img.pck", "\\parts\\pneumatica\\img\\"},
};

// The three packages the install sequence extracts itself, before the table.
inline constexpr const char* kCadPackage = "\\cad-acad.pck";
inline constexpr const char* kConfigPackage = "\\cfg-acad.pck";
inline constexpr const char* kHelpPackage = "\\hlp-acad.pck";

}  // namespace extract
