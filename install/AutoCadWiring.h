// Which AutoCAD the installation serves where it serves one, and what it tells of each. The
// product's files, the menu's toolbar and the command alias go into one support folder: that of
// the product the chosen AutoCAD folder belongs to (its AcadLocation), even when another product
// is the one the user ran last; otherwise the current profile's, as AutoCAD's registry names it.
// The load of the product reaches every AutoCAD (cad/StartupLoad.h), and the log says of each
// product how.
#pragma once

#include <optional>
#include <string>

#include "cad/StartupLoad.h"

namespace config {
class FrontEnd;
}

namespace install {

// The support folder for the AutoCAD folder `acadFolder`, looked up afresh; GetAcadSupportDir's
// when the folder is no product's.
std::string MainSupportFolder(const std::string& acadFolder);
// The same without creating any key: nothing when there is no such profile (FindAcadSupportDir).
std::optional<std::string> FindMainSupportFolder(const std::string& acadFolder);

// Notes, for the log, every product and the way the product loads in it. Returns what the
// closing report adds: each acaddoc.lsp that AutoCAD loads instead of the product's own.
std::string NoteWiring(config::FrontEnd& frontEnd, const cad::LispWiring& wiring);

}  // namespace install
