// Every AutoCAD on the machine, as the registry knows it. AutoCAD keeps, for each release (R17.1,
// R25.1, ...) and each product of it (ACAD-6001:409 for AutoCAD 2008 in English, ACAD-9101:410 for
// AutoCAD 2026 in Italian, another number for a vertical built on it), the folder it is installed
// in under the machine's hive, and the user's profiles and support folder under the user's, once
// the user has started it. AutoCAD LT keeps the same layout under a key of its own ("AutoCAD
// LT", R30\ACADLT-7101:409 for LT 2024), with release keys of its own; its products are listed
// after AutoCAD's.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cad/AcadReleases.h"

namespace cad {

inline constexpr const char* kAutoCadKey = "\\Software\\Autodesk\\AutoCAD";
inline constexpr const char* kAutoCadLtKey = "\\Software\\Autodesk\\AutoCAD LT";

struct AcadProduct {
  std::string release;  // the release key, "R25.1"
  std::string product;  // the product key, "ACAD-9101:410"
  // AutoCAD LT: the keys are under kAutoCadLtKey and the product key starts "ACADLT-".
  bool lt = false;
  // The row of the release from 2006 on (for LT from LT 2024 on); nullptr for an earlier one.
  const AcadRelease* row = nullptr;
  // The product's key in the current user's hive
  // ("\Software\Autodesk\AutoCAD\R25.1\ACAD-9101:410"), whether or not it exists.
  std::string userKey;
  // The user's support folder (the roamable folder's "Support\"), once AutoCAD made the profile;
  // nothing before.
  std::optional<std::string> supportFolder;
  // The profiles AutoCAD made for the user.
  std::vector<std::string> profiles;
  // Where the product is installed (its AcadLocation); empty when the registry does not say.
  std::string location;
  bool current = false;  // the release and product the user ran last (CurVer)
  // The product of its release the user ran last (the release key's CurVer): of one release in
  // two languages, sharing one folder, the one the user works in.
  bool releaseCurrent = false;
};

// The products the user's hive and the machine's name, each once, newest release first (and the
// current one first within a release). Reading never creates a key; a value of a non-string type
// where text belongs counts as missing.
std::vector<AcadProduct> FindAcadProducts();

// The product whose AutoCAD folder `folder` is, when the registry names it (compared without
// regard to case and to a final backslash). Where several share the folder (one release in two
// languages), the one of them the user ran last.
const AcadProduct* ProductInstalledIn(const std::vector<AcadProduct>& products,
                                      const std::string& folder);

}  // namespace cad
