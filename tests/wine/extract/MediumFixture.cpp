#include "tests/wine/extract/MediumFixture.h"

#include <cstdlib>
#include <functional>

#include "tests/wine/support/Driver.h"
#include "tools/demo/DemoProduct.h"

namespace extractwine {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Windows(std::string relative) {
  for (char& c : relative) {
    if (c == '/') c = '\\';
  }
  return relative;
}

}  // namespace

void ClearScene() {
  for (const std::string& folder : {kCadFolder, kMedium, kScratch}) winetest::RemoveTree(folder);
  RemoveInstallation();
}

void RemoveInstallation() {
  winetest::RemoveTree(kDestination);
  winetest::RemoveTree(winetest::UserRecordFolder());
  RegDeleteKeyA(HKEY_CURRENT_USER,
                "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvek");
}

fs::path WriteProduct() {
  // Two binary members of more than two progress steps each, so the progress bar moves.
  const demo::DemoSize size{3, 2, 2, 70000};
  const fs::path product = fs::path(kScratch) / "product";
  demo::MakeDemoProduct(product, size);
  return product;
}

fs::path InstallerDir() {
  const char* chosen = std::getenv("TOLVEK_INSTALLER_DIR");
  if (chosen != nullptr && *chosen != '\0') return chosen;
  return fs::path(winetest::BuiltFile("INSTALL.EXE")).parent_path();
}

void WriteAutoCadFolder() {
  winetest::MakeTree(kCadFolder + "\\support");
  winetest::WriteFile(kCadFolder + "\\support\\acad.mns",
                      "//  AutoCAD menu file\r\n***MENUGROUP=ACAD\r\n***TOOLBARS\r\n**TB_DRAW\r\n"
                      "***HELPSTRINGS\r\nID_Line   [Creates straight line segments]\r\n");
  winetest::WriteFile(kCadFolder + "\\support\\acadr14.lsp",
                      ";;; acadr14.lsp\r\n;;;===== AutoLoad LISP Applications =====\r\n"
                      "(autoload \"appload\" '(\"appload\"))\r\n");
}

namespace {

// Where one AutoCAD file of the product must be found: `expect(installed path, source)`.
using Expect = std::function<void(const std::string&, const fs::path&)>;
using PlaceCadFile = std::function<void(const Expect&, const std::string&, const fs::path&)>;

// `keptCopy`: the destination keeps a copy of AutoCAD's files in its AutoCAD folder, as an
// installation for 2004 and later does, for the repair to place them from.
std::vector<std::string> Differences(const fs::path& product, const PlaceCadFile& placeCadFile,
                                     bool keptCopy) {
  std::vector<std::string> differences;
  std::size_t installedFiles = 0;
  auto expect = [&](const std::string& installed, const fs::path& source) {
    std::optional<std::string> want = winetest::ReadFile(source.string());
    std::optional<std::string> got = winetest::ReadFile(installed);
    if (!got) {
      differences.push_back(installed + " is missing");
    } else if (got != want) {
      differences.push_back(installed + " differs from " + source.string());
    }
  };
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(product)) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = entry.path().lexically_relative(product).generic_string();
    const std::string top = Lower(relative.substr(0, relative.find('/')));
    const std::string rest = Windows(relative.substr(relative.find('/') + 1));
    if (top == "autocad") {
      placeCadFile(expect, rest, entry.path());
      if (keptCopy) {
        expect(kDestination + "\\AutoCAD\\" + rest, entry.path());
        ++installedFiles;
      }
    } else if (top == "help-acad") {
      expect(kDestination + "\\Help\\" + rest, entry.path());
      ++installedFiles;
    } else {
      expect(kDestination + "\\" + Windows(relative), entry.path());
      ++installedFiles;
    }
  }
  std::size_t destinationFiles = 0;
  for (const auto& [name, time] : winetest::Listing(kDestination)) {
    if (name.back() != '\\') ++destinationFiles;
  }
  // The journal and the uninstaller are the installer's own, kept where only the user writes.
  if (winetest::ReadFile(winetest::UserRecordFolder() + "\\UNINSTAL.EXE") !=
      winetest::ReadFile(InstallerDir().string() + "\\INSTALL.EXE")) {
    differences.push_back("the record's folder holds no copy of INSTALL.EXE as UNINSTAL.EXE");
  }
  if (!winetest::ReadFile(winetest::UserRecordFolder() + "\\INSTALL.JNL")) {
    differences.push_back("the record's folder holds no journal");
  }
  if (destinationFiles != installedFiles) {
    differences.push_back("the destination holds " + std::to_string(destinationFiles) +
                          " files instead of " + std::to_string(installedFiles));
  }
  return differences;
}

}  // namespace

std::vector<std::string> DifferencesFromProduct(const fs::path& product) {
  return Differences(
      product,
      [](const Expect& expect, const std::string& name, const fs::path& source) {
        // Release 14: into the support folder, and the AutoLISP file also beside
        // AutoCAD.
        expect(kCadFolder + "\\support\\" + name, source);
        if (Lower(name) == "tolvek.lsp") expect(kCadFolder + "\\" + name, source);
      },
      false);
}

std::vector<std::string> DifferencesFromProduct(const fs::path& product,
                                                const std::string& cadSupportFolder) {
  return Differences(
      product,
      [&](const Expect& expect, const std::string& name, const fs::path& source) {
        expect(cadSupportFolder + "\\" + name, source);
      },
      true);
}

void CopyFiles(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
    fs::copy_file(entry.path(), to / entry.path().filename(), fs::copy_options::overwrite_existing);
  }
}

}  // namespace extractwine
