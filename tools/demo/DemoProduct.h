// MakeDemoProduct writes a stand-in for the Tolvek product, laid out as make-medium expects it
// (see tools/medium/Packages.h): parts data, pictures, help with a real readme.rtf, the AutoCAD
// files, a stand-in TOLVEK.EXE. Every byte follows from the size alone, so two runs give the same
// tree and the medium built from it can be checked byte for byte after an installation.
#pragma once

#include <cstddef>
#include <filesystem>

#include "tools/medium/Error.h"

namespace demo {

struct DemoSize {
  int partFilesPerFolder = 24;  // text tables in each parts folder, 2 to 40 KB each
  int picturesPerFolder = 10;   // 24-bit BMPs in images/, parts/img/, parts/pneumatica/img/
  int binaryFiles = 8;          // incompressible files in parts/bin/
  std::size_t binaryFileSize = 64 * 1024;
};

// A few megabytes: the demo medium of ./run.
inline constexpr DemoSize kDemoSize{};
// A few dozen small files: quick enough for a test that installs it.
inline constexpr DemoSize kSmallDemoSize{2, 1, 1, 3000};

// Writes into `folder`, which must not exist yet or be empty; medium::Error otherwise.
void MakeDemoProduct(const std::filesystem::path& folder, const DemoSize& size = kDemoSize);

}  // namespace demo
