// Where AutoCAD 2004 and later keep the current user's support files: the registry records the
// current release, under it the current product, and under that the user's roamable folder, whose
// "Support" sub-folder receives the toolbar bitmaps, the AutoLISP file and the patched menu and
// command alias files.
#pragma once

#include <optional>
#include <string>

namespace cad {

// The support folder of the current AutoCAD profile, always ending with "Support\". Read afresh
// at every call; keys missing on the way are created empty, and missing values read as empty
// text, so with no AutoCAD at all the result is the relative "Support\". A value of a non-string
// type raises toolkit::ERegistryException ("Invalid data type for 'CurVer'").
std::string GetAcadSupportDir();

// The same folder, looked up without creating any key: nothing when AutoCAD has no profile for
// this user (a key or value of the chain is missing or empty). Raises like GetAcadSupportDir for
// a value of a non-string type.
std::optional<std::string> FindAcadSupportDir();

// The current AutoCAD product as the same registry walk finds it.
struct AcadProductKey {
  std::string release;  // the release key, "R25.1"
  std::string path;     // "\Software\Autodesk\AutoCAD\R25.1\ACAD-9101:409"
};
AcadProductKey GetAcadProductKey();

}  // namespace cad
