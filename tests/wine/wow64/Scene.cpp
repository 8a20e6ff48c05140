#include "tests/wine/wow64/Scene.h"

#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/support/Driver.h"

namespace winetest::wow64 {

std::string ProductKey(const AcadProduct& product) {
  return kAutoCad + "\\" + product.release + "\\" + product.key;
}

std::string VariablesKey(const AcadProduct& product) {
  return ProductKey(product) + "\\Profiles\\P1\\Variables";
}

LONG RegisterInstalled(const AcadProduct& product) {
  const std::string installed =
      (product.view == View::k64 ? *ProgramFiles64() : ProgramFiles32()) + "\\" + product.folder;
  MakeTree(installed);
  return WriteString(HKEY_LOCAL_MACHINE, product.view, ProductKey(product), "AcadLocation",
                     installed);
}

void BuildDemoMedium(const std::string& folder) {
  medium::MediumOptions options;
  options.productDir = extractwine::WriteProduct();
  options.outDir = folder;
  options.installerDir = extractwine::InstallerDir();
  medium::BuildMedium(options);
}

void DeleteEverywhere(std::initializer_list<std::string> keys) {
  for (View view : {View::k64, View::k32}) {
    for (const std::string& key : keys) {
      DeleteTree(HKEY_LOCAL_MACHINE, view, key);
      DeleteTree(HKEY_CURRENT_USER, view, key);
    }
  }
}

std::string TrustedPaths(const std::string& variablesKey) {
  return ReadString(HKEY_CURRENT_USER, View::k64, variablesKey, "TRUSTEDPATHS").value_or("<none>");
}

std::map<std::string, std::optional<std::string>> FilesBelow(const std::string& folder) {
  std::map<std::string, std::optional<std::string>> files;
  for (const auto& [name, time] : Listing(folder)) {
    if (name.ends_with(".bak")) continue;
    files[name] = name.back() == '\\' ? std::nullopt : ReadFile(folder + "\\" + name);
  }
  return files;
}

}  // namespace winetest::wow64
