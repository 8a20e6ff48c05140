// make-medium PRODUCT_DIR OUT_DIR [--disk-size SIZE] [--installer-dir DIR]
// The publisher's tool: packs a product folder into the medium the installer reads. See
// Packages.h for which folder goes into which package and Disks.h for how disks are filled.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/medium/Medium.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: make-medium PRODUCT_DIR OUT_DIR [--disk-size SIZE] [--installer-dir DIR]\n"
               "  SIZE: bytes, or with k / m, e.g. 1440k; without it the medium is one folder\n"
               "  DIR:  where INSTALL.EXE and INSTALL.DLL are (default: %s)\n",
               MEDIUM_DEFAULT_INSTALLER_DIR);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  medium::MediumOptions options;
  options.installerDir = MEDIUM_DEFAULT_INSTALLER_DIR;
  std::vector<std::string> positional;
  try {
    for (int i = 1; i < argc; ++i) {
      std::string arg = argv[i];
      if ((arg == "--disk-size" || arg == "--installer-dir") && i + 1 < argc) {
        std::string value = argv[++i];
        if (arg == "--disk-size") options.diskSize = medium::ParseDiskSize(value);
        if (arg == "--installer-dir") options.installerDir = value;
      } else if (arg.starts_with("--")) {
        return Usage();
      } else {
        positional.push_back(arg);
      }
    }
    if (positional.size() != 2) return Usage();
    options.productDir = positional[0];
    options.outDir = positional[1];

    medium::MediumSummary summary = medium::BuildMedium(options);
    std::printf("INSTALL.EXE %llu bytes, INSTALL.DLL %llu bytes: %llu of %llu bytes\n",
                static_cast<unsigned long long>(summary.exeSize),
                static_cast<unsigned long long>(summary.dllSize),
                static_cast<unsigned long long>(summary.exeSize + summary.dllSize),
                static_cast<unsigned long long>(medium::kInstallerLimit));
    for (std::size_t d = 0; d < summary.disks.size(); ++d) {
      unsigned long long total = 0;
      for (const medium::MediumItem& item : summary.disks[d]) total += item.size;
      std::printf("%s: %llu bytes\n", summary.folders[d].string().c_str(), total);
      for (const medium::MediumItem& item : summary.disks[d]) {
        std::printf("  %-28s %10llu\n", item.name.c_str(),
                    static_cast<unsigned long long>(item.size));
      }
    }
    std::printf("%zu product files in 18 packages\n", summary.productFiles);
    std::printf("%s: the SHA-256 of every file (check a copy with sha256sum -c)\n",
                summary.checksums.string().c_str());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-medium: %s\n", error.what());
    return 1;
  }
}
