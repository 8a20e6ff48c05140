// Which AutoCAD folder a run starts from when nobody typed one. A deployment to many machines
// cannot know each one's: the registry does (every product's AcadLocation), so a run without a
// person takes the folder of the most recent AutoCAD installed, and the dialog proposes it where
// the configured folder is not on the disk.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cad/AcadProducts.h"

namespace config {
class FrontEnd;
}

namespace install {

struct RegisteredCadFolders {
  // The product chosen: the most recent release whose folder exists (the current product first
  // within a release); nothing when no registered folder exists.
  std::optional<cad::AcadProduct> chosen;
  std::size_t existing = 0;  // how many products name a folder that exists
  // The products whose registered folder is not on the disk (uninstalled, a removed drive).
  std::vector<cad::AcadProduct> gone;
};

// Sorts out `products` (newest first, as FindAcadProducts gives them) for the releases the run
// wires: those before 2004 with `release14`, the others without.
RegisteredCadFolders SortRegisteredFolders(const std::vector<cad::AcadProduct>& products,
                                           bool release14);

// The AutoCAD folder of a run without a person: the registry's newest, noted for the log with
// the reason, or the configured folder when the registry names none that exists.
std::string UnattendedCadFolder(config::FrontEnd& frontEnd);

// The folder the dialog shows first: the configured one when it exists, otherwise the
// registry's newest for releases from 2004, otherwise the configured one still.
std::string ProposedCadFolder();

}  // namespace install
