#include "cad/StartupLoad.h"

#include <algorithm>

#include "cad/AcadDocPatcher.h"
#include "cad/AcadFiles.h"
#include "cad/LispPatcher.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace cad {
namespace {

namespace fs = toolkit::fs;

using Way = ProductWiring::Way;

std::string Folded(const std::string& folder) {
  return fs::FoldCase(fs::StripTrailingBackslash(folder));
}

std::string TextOf(toolkit::RegistryCursor& key, const std::string& name) {
  try {
    return key.ReadString(name);
  } catch (const toolkit::ERegistryException&) {
    return {};
  }
}

// AutoCAD loads the first acaddoc.lsp its support path holds: those of folders listed before
// `support` in a profile's path (General\ACAD) are loaded instead of the product's.
std::vector<std::string> ShadowingAcadDocs(const AcadProduct& product, const std::string& support) {
  std::vector<std::string> shadowing;
  for (const std::string& profile : product.profiles) {
    toolkit::RegistryCursor general;
    if (!general.OpenExistingKey(product.userKey + "\\Profiles\\" + profile + "\\General"))
      continue;
    const std::string path = TextOf(general, "ACAD");
    for (std::size_t at = 0; at < path.size();) {
      const std::size_t end = std::min(path.find(';', at), path.size());
      const std::string folder = path.substr(at, end - at);
      at = end + 1;
      if (folder.empty()) continue;
      if (Folded(folder) == Folded(support)) break;
      const std::string file =
          fs::StripTrailingBackslash(folder) + "\\" + std::string(kAcadDocName);
      if (toolkit::Fs().FileExists(file) &&
          std::find(shadowing.begin(), shadowing.end(), file) == shadowing.end()) {
        shadowing.push_back(file);
      }
    }
  }
  return shadowing;
}

// From 2026 a profile's PROJECTAWARE makes its trusted paths read-only.
bool AnyProfileProjectAware(const AcadProduct& product) {
  return std::any_of(product.profiles.begin(), product.profiles.end(), [&](const std::string& p) {
    toolkit::RegistryCursor variables;
    return variables.OpenExistingKey(product.userKey + "\\Profiles\\" + p + "\\Variables") &&
           TextOf(variables, "PROJECTAWARE") == "1";
  });
}

}  // namespace

bool LispWiring::NeedsManualEdit() const {
  const auto wired = [](const ProductWiring& p) {
    return p.way == Way::kAcadDoc || p.way == Way::kBundle || p.way == Way::kTrustedBundle ||
           p.way == Way::kAtLogon;
  };
  const bool anyFailed = std::any_of(products.begin(), products.end(), [](const ProductWiring& p) {
    return p.way == Way::kNotOpened;
  });
  return anyFailed ||
         (!startupFilesPatched && std::none_of(products.begin(), products.end(), wired));
}

LispWiring WireProductLisp(const std::string& acadFolder, bool release14,
                           const std::vector<AcadProduct>& products, const WiringScope& scope,
                           const PlaceProductFiles& place, toolkit::ChangeRecorder& recorder) {
  LispWiring wiring;
  // An installation that finds a start-up file it knows does with it exactly what it always did.
  if (release14) {
    wiring.startupFilesPatched = PatchAcadLisp(acadFolder, recorder);
    return wiring;
  }
  if (AnyLispCandidatePresent(acadFolder)) {
    wiring.startupFilesPatched = PatchAcadLisp(acadFolder, recorder);
    // A start-up file that could not be opened needs the manual edit, whatever else loads.
    if (!wiring.startupFilesPatched) wiring.products.emplace_back().way = Way::kNotOpened;
  }
  WireEachProduct(products, scope, place, recorder, wiring);
  return wiring;
}

void WireEachProduct(const std::vector<AcadProduct>& products, const WiringScope& scope,
                     const PlaceProductFiles& place, toolkit::ChangeRecorder& recorder,
                     LispWiring& wiring) {
  std::optional<std::string> contents;
  bool bundleTried = false;
  for (const AcadProduct& product : products) {
    ProductWiring& wired = wiring.products.emplace_back();
    wired.product = &product;
    if (product.row == nullptr) {
      wired.way = Way::kOlder;
      continue;
    }
    const bool started = product.supportFolder && toolkit::Fs().DirExists(*product.supportFolder);
    if (!scope.userProfiles && product.row->load == AcadLoad::kAcadDoc) {
      wired.way = Way::kAtLogon;
      continue;
    }
    if (scope.userProfiles && !started) continue;
    if (product.row->load == AcadLoad::kAcadDoc) {
      place(*product.supportFolder);
      const AcadDocResult result = AddLoadBlockToAcadDoc(*product.supportFolder, recorder);
      wired.way = result == AcadDocResult::kNotOpened ? Way::kNotOpened : Way::kAcadDoc;
      wired.where = *product.supportFolder + std::string(kAcadDocName);
      wired.shadowedBy = ShadowingAcadDocs(product, *product.supportFolder);
      continue;
    }
    // One bundle serves every product from 2012 on.
    if (!bundleTried) {
      bundleTried = true;
      contents = LayBundle(scope.bundleBase, place, recorder);
    }
    if (!contents) {
      wired.way = Way::kNotOpened;
      continue;
    }
    wired.where = *contents;
    wired.way = Way::kBundle;
    if (product.row->load == AcadLoad::kTrustedBundle && !scope.userProfiles) {
      // Trusted by default from 2016 in Program Files; 2014 and 2015 are trusted at each logon.
      if (product.row->year < 2016) wired.way = Way::kAtLogon;
    } else if (product.row->load == AcadLoad::kTrustedBundle) {
      wired.way = Way::kTrustedBundle;
      wired.trustedProfiles = TrustInEveryProfile(product.userKey, *contents, recorder);
      wired.projectAware = product.row->year >= 2026 && AnyProfileProjectAware(product);
    }
  }
  // A product started for the first time after the installation finds the bundle laid for the
  // others.
  for (ProductWiring& wired : wiring.products) {
    if (wired.way == Way::kNotStarted && contents && wired.product->row->load != AcadLoad::kAcadDoc)
      wired.where = *contents;
  }
}

bool AnyProductLacks(const std::vector<AcadProduct>& products, const WiringScope& scope) {
  // Each product is taken the way WireEachProduct takes it.
  std::string contents = fs::StripTrailingBackslash(scope.bundleBase);
  const bool bundleLaid = !contents.empty() && toolkit::Fs().DirExists(contents);
  for (std::string_view part : kBundleFolders) contents += "\\" + std::string(part);
  return std::any_of(products.begin(), products.end(), [&](const AcadProduct& product) {
    const bool started = product.supportFolder && toolkit::Fs().DirExists(*product.supportFolder);
    if (product.row == nullptr || (scope.userProfiles && !started)) return false;
    if (product.row->load == AcadLoad::kAcadDoc) {
      return scope.userProfiles && (AnyProductFileMissing(*product.supportFolder) ||
                                    AcadDocLacksLoad(*product.supportFolder));
    }
    return BundleLacksAFile(scope.bundleBase) ||
           (bundleLaid && scope.userProfiles && product.row->load == AcadLoad::kTrustedBundle &&
            AnyProfileUntrusting(product.userKey, contents));
  });
}

}  // namespace cad
