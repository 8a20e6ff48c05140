// How AutoCAD comes to load the product's AutoLISP file, in every AutoCAD of the machine: through
// the start-up files of releases 12 to 2005 where the chosen AutoCAD folder has them
// (LispPatcher.h), and for each product from 2006 on that the user's registry knows, the way
// Autodesk documents for its release (AcadReleases.h): the user's acaddoc.lsp in the product's
// own support folder up to 2011, one bundle shared by every product from 2012, trusted in every
// profile from 2014. Autodesk's own start-up files of those releases are reserved to it, and are
// never touched.
#pragma once

#include <string>
#include <vector>

#include "cad/AcadProducts.h"
#include "cad/Bundle.h"

namespace cad {

// What became of one product.
struct ProductWiring {
  enum class Way {
    kAcadDoc,        // the load block in `where`, its acaddoc.lsp
    kBundle,         // the bundle, whose Contents folder is `where`
    kTrustedBundle,  // the bundle, trusted in `trustedProfiles` profiles
    // The user never started it: no profile or no support folder yet. `where` is the bundle's
    // Contents folder when its release loads the bundle and the bundle was laid: it finds the
    // bundle at its first start, though no profile of it trusts the folder yet.
    kNotStarted,
    kOlder,      // before 2006 (LT: before LT 2024, which runs no AutoLISP): not wired
    kNotOpened,  // its acaddoc.lsp, or the bundle, could not be written
    kAtLogon,    // an installation for every user: done at each user's next logon
  };
  const AcadProduct* product = nullptr;
  Way way = Way::kNotStarted;
  std::string where;
  int trustedProfiles = 0;
  // Each acaddoc.lsp AutoCAD finds in a profile's support path before the product's own, and
  // loads instead of it.
  std::vector<std::string> shadowedBy;
  // A profile has PROJECTAWARE on: its trusted paths are read-only, and AutoCAD may refuse the
  // bundle.
  bool projectAware = false;
};

struct LispWiring {
  bool startupFilesPatched = false;
  std::vector<ProductWiring> products;

  // The user has to add the load by hand: nothing loads the product, or a product's file could
  // not be opened.
  bool NeedsManualEdit() const;
};

// Whose AutoCADs are wired: the user's (acaddoc.lsp, a bundle in the user's application data,
// the trusted paths of the user's profiles), or the machine's (a bundle in the 64-bit Program
// Files; what lives in a user's profile is left to each user's logon).
struct WiringScope {
  std::string bundleBase;  // the folder the bundle's "Autodesk\ApplicationPlugins" lies in
  bool userProfiles = true;
};

// Wires the product's AutoLISP file into AutoCAD's start-up. With `release14` (a release before
// 2004 chosen) it is PatchAcadLisp on `acadFolder` and nothing else. Otherwise the start-up
// files of `acadFolder` are patched where it has them, exactly as for an older release, and then
// each of `products` is wired as its release wants within `scope`; `place` puts the product's
// files into a folder (an acaddoc.lsp product's support folder, the bundle's Contents folder).
// File and registry failures raise their errors.
LispWiring WireProductLisp(const std::string& acadFolder, bool release14,
                           const std::vector<AcadProduct>& products, const WiringScope& scope,
                           const PlaceProductFiles& place, toolkit::ChangeRecorder& recorder);

// The second half of WireProductLisp: each of `products` wired as its release wants within
// `scope`, added to `wiring`.
void WireEachProduct(const std::vector<AcadProduct>& products, const WiringScope& scope,
                     const PlaceProductFiles& place, toolkit::ChangeRecorder& recorder,
                     LispWiring& wiring);

// Whether WireEachProduct would add anything, read without changing anything: for a product it
// wires, a product's file missing from an acaddoc.lsp product's support folder or an acaddoc.lsp
// that would take the load block, a file of the bundle missing, a profile whose trusted paths
// lack the bundle's folder. What WireEachProduct would leave as it is (a file that differs, a
// read-only acaddoc.lsp) does not count: what counts, a run of WireEachProduct adds.
bool AnyProductLacks(const std::vector<AcadProduct>& products, const WiringScope& scope);

}  // namespace cad
