// bench-unzip-driver MEDIUM_FOLDER DESTINATION RUNS [none|pump] [KIND...]
// Times extractors alone under Wine: every package of the installer's package table (the
// product's files but the few AutoCAD and help files extracted before it) from the medium, each
// into a folder of its own below DESTINATION\KIND. A KIND is "dll" (INSTALL.DLL as the installer
// gets it), "dll:N" (INSTALL.DLL with N writer threads, 0 for one-threaded) or "minimal" (see
// MinimalExtract.h); by default dll, dll:0 and minimal. Each round runs every kind once, in turn,
// so that a busy machine hurts them alike. The DLL's callback does nothing ("none") or only passes
// over the message queue ("pump"). Set beside the whole installation's time, the DLL's tells how
// much of it the library costs and how much the installer's window updates add; set beside the
// minimal extractor's, it tells how far the library is from the floor of one thread.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "bench/install/MinimalExtract.h"
#include "bench/install/TableExtraction.h"
#include "tests/wine/support/Driver.h"

namespace {

using Clock = std::chrono::steady_clock;

int gFiles = 0;

int32_t UNZIP_STDCALL Quiet(UnzipCallbackInfo* info) {
  if (info->ActionCode == kUnzipActionFileStarts) ++gFiles;
  return 0;
}

int32_t UNZIP_STDCALL Pump(UnzipCallbackInfo* info) {
  if (info->ActionCode == kUnzipActionFileStarts) ++gFiles;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  return 0;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Kind {
  std::string name;
  std::vector<double> seconds;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: bench-unzip-driver MEDIUM DESTINATION RUNS [none|pump] [KIND...]\n");
    return 2;
  }
  const std::string medium = argv[1];
  const std::string destination = argv[2];
  const int runs = std::max(1, std::atoi(argv[3]));
  const bool pump = argc > 4 && std::strcmp(argv[4], "pump") == 0;
  std::vector<Kind> kinds;
  for (int i = 5; i < argc; ++i) kinds.push_back({argv[i], {}});
  if (kinds.empty()) kinds = {{"dll", {}}, {"dll:0", {}}, {"minimal", {}}};

  std::optional<bench::DllOfMedium> dll;
  try {
    dll.emplace(medium);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench-unzip-driver: %s\n", error.what());
    return 1;
  }
  const std::vector<std::string> packages = bench::TablePackages();
  for (int run = 0; run < runs; ++run) {
    std::printf("run %d:", run + 1);
    for (Kind& kind : kinds) {
      std::string folder = kind.name;
      std::replace(folder.begin(), folder.end(), ':', '-');
      const std::string root = destination + "\\" + folder;
      CreateDirectoryA(destination.c_str(), nullptr);
      bench::PrepareTableFolders(root);
      // The DLL reads its writer count at every call.
      const std::size_t colon = kind.name.find(':');
      SetEnvironmentVariableA("TOLVEK_UNZIP_WRITERS", colon == std::string::npos
                                                          ? nullptr
                                                          : kind.name.substr(colon + 1).c_str());
      gFiles = 0;
      bool failed = false;
      const Clock::time_point start = Clock::now();
      if (kind.name == "minimal") {
        for (const std::string& package : packages) {
          failed |= !bench::MinimalExtract(medium + "\\" + package, root + "\\" + package, gFiles);
        }
      } else {
        failed = !dll->ExtractTable(medium, root, pump ? Pump : Quiet);
      }
      kind.seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
      std::printf(" %s %.3f s (%d files%s)", kind.name.c_str(), kind.seconds.back(), gFiles,
                  failed ? ", FAILED" : "");
      std::fflush(stdout);
    }
    std::printf("\n");
  }
  SetEnvironmentVariableA("TOLVEK_UNZIP_WRITERS", nullptr);
  std::printf("median:");
  for (const Kind& kind : kinds) std::printf(" %s %.3f s", kind.name.c_str(), Median(kind.seconds));
  std::printf("\n");
  // Ratios within each round, against the last kind, then their median and spread.
  const Kind& base = kinds.back();
  for (std::size_t k = 0; k + 1 < kinds.size(); ++k) {
    std::vector<double> ratios;
    for (int run = 0; run < runs; ++run) {
      ratios.push_back(kinds[k].seconds[run] / base.seconds[run]);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("ratio %s / %s: median %.2f, range %.2f-%.2f over %d rounds\n",
                kinds[k].name.c_str(), base.name.c_str(), Median(ratios), ratios.front(),
                ratios.back(), runs);
  }
  return 0;
}
