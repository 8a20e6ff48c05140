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

// Whether the product whose support folder is `mainSupport` (the folder of the menu and the
// command alias) gets the toolbar from the bundle's partial customization file: then the menu
// file's toolbar is not missed where it cannot be added.
bool ToolbarThroughBundle(const cad::LispWiring& wiring, const std::string& mainSupport);

// Notes, for the log, every product and the way the product loads in it. Returns what the
// closing report adds, since a run with a person at the machine writes no log: each acaddoc.lsp
// that AutoCAD loads instead of the product's own, each product the user never started that
// will not load the product at its first start without a question, each PROJECTAWARE profile.
std::string NoteWiring(config::FrontEnd& frontEnd, const cad::LispWiring& wiring);

}  // namespace install
