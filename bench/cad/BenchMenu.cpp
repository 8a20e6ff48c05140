// Times PatchAcadMenu on a large menu file on real files against GNU sed inserting the same four
// toolbar lines after the same heading into a new file. Both start from the same file for every
// round; the figure is the ratio of the median times (patcher / sed), which should be at most 1.
//
//   bench-menu FOLDER ROUNDS   (FOLDER holds menu.src, the menu, and block.txt, the four lines)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "PosixFileSystem.h"
#include "cad/MenuPatcher.h"
#include "toolkit/headless/MemoryFileSystem.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Fresh(const std::string& folder) {
  std::remove((folder + "/tktemp.bak").c_str());
  std::remove((folder + "/acad.mns").c_str());
  std::ofstream(folder + "/acad.mns", std::ios::binary) << Read(folder + "/menu.src");
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FOLDER ROUNDS\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const int rounds = std::max(1, std::atoi(argv[2]));
  cad::bench::PosixFileSystem posix;
  toolkit::headless::SetFileSystem(&posix);

  const std::string sed = "sed '/\\*\\*\\*TOOLBARS/Ir " + folder + "/block.txt' " + folder +
                          "/menu.src > " + folder + "/sed.out";
  std::vector<double> patcher;
  std::vector<double> reference;
  for (int round = 0; round < rounds; ++round) {
    Fresh(folder);
    auto start = Clock::now();
    if (!cad::PatchAcadMenu(1, folder + "/", "acad.mns")) {
      std::fprintf(stderr, "PatchAcadMenu could not open %s/acad.mns\n", folder.c_str());
      return 1;
    }
    patcher.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());

    std::remove((folder + "/sed.out").c_str());
    start = Clock::now();
    if (std::system(sed.c_str()) != 0) return 1;
    reference.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  // Both must have produced the same file, or the comparison means nothing.
  if (Read(folder + "/acad.mns") != Read(folder + "/sed.out")) {
    std::fprintf(stderr, "the patched menu differs from sed's output\n");
    return 1;
  }
  const double ours = Median(patcher);
  const double theirs = Median(reference);
  std::printf("PatchAcadMenu %.1f ms, sed %.1f ms (medians of %d), ratio %.2f\n", ours, theirs,
              rounds, ours / theirs);
  return 0;
}
