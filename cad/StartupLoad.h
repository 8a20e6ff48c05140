// How AutoCAD comes to load the product's AutoLISP file, for every generation: through the
// start-up files of releases 12 to 2005 where the AutoCAD folder has them (LispPatcher.h), and
// otherwise, for 2006 and later, the way Autodesk documents for the release the registry names
// (AcadReleases.h): the user's acaddoc.lsp up to 2011, a bundle from 2012. Autodesk's own
// start-up files of those releases are reserved to it, and are never touched.
#pragma once

#include <string>

#include "cad/Bundle.h"

namespace cad {

// Wires the product's AutoLISP file into AutoCAD's start-up for the AutoCAD folder `acadFolder`
// (as PatchAcadLisp takes it). With `release14` (a release before 2004 chosen), or with any of the
// start-up files of releases 12 to 2005 present, it is PatchAcadLisp and nothing else. Otherwise
// the current release is read from the registry; 2006 to 2011 get the load block in the profile's
// acaddoc.lsp, 2012 and later the bundle, for which `place` puts the product's files into the
// bundle's Contents folder.
//
// Returns false when the user has to add the load by hand: a release before 2006 without its
// start-up files, or a file or folder that could not be opened. File and registry failures
// after that raise their errors.
bool WireProductLisp(const std::string& acadFolder, bool release14, const PlaceProductFiles& place,
                     toolkit::ChangeRecorder& recorder);

}  // namespace cad
