#include "install/CadFolderChoice.h"

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "toolkit/FileSystem.h"

namespace install {
namespace {

// AutoCAD 2004 is R16.0: the releases before it load the product from their start-up files.
bool BeforeRelease2004(const cad::AcadProduct& product) {
  const auto key = cad::ParseReleaseKey(product.release);
  return key && *key < std::pair{16, 0};
}

std::string Named(const cad::AcadProduct& product) {
  return product.release + " " + product.product;
}

}  // namespace

RegisteredCadFolders SortRegisteredFolders(const std::vector<cad::AcadProduct>& products,
                                           bool release14) {
  RegisteredCadFolders sorted;
  for (const cad::AcadProduct& product : products) {
    // AutoCAD LT has neither the menu file nor the command alias file the chosen folder's
    // product gets: it is wired through the bundle only, and chosen only when named.
    if (product.lt || product.location.empty() || BeforeRelease2004(product) != release14) continue;
    if (!toolkit::Fs().DirExists(product.location)) {
      sorted.gone.push_back(product);
      continue;
    }
    ++sorted.existing;
    if (!sorted.chosen) sorted.chosen = product;
  }
  return sorted;
}

std::string UnattendedCadFolder(config::FrontEnd& frontEnd) {
  const config::ConfigurationBlock& v = config::Vars;
  const RegisteredCadFolders registered =
      SortRegisteredFolders(cad::FindAcadProducts(), frontEnd.Release14());
  for (const cad::AcadProduct& gone : registered.gone) {
    frontEnd.Note(config::FormatMessage(v.LogCadFolderGone, {Named(gone), gone.location}));
  }
  if (!registered.chosen) {
    frontEnd.Note(v.LogCadFolderConfigured);
    return v.DefaultCadFolder;
  }
  const cad::AcadProduct& chosen = *registered.chosen;
  frontEnd.Note(registered.existing == 1
                    ? config::FormatMessage(v.LogCadFolderOnly, {chosen.location, Named(chosen)})
                    : config::FormatMessage(
                          v.LogCadFolderNewest,
                          {chosen.location, Named(chosen), std::to_string(registered.existing)}));
  return chosen.location;
}

std::string ProposedCadFolder() {
  const std::string& configured = config::Vars.DefaultCadFolder;
  if (toolkit::Fs().DirExists(configured)) return configured;
  const RegisteredCadFolders registered = SortRegisteredFolders(cad::FindAcadProducts(), false);
  return registered.chosen ? registered.chosen->location : configured;
}

}  // namespace install
