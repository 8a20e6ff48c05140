// bench-unzip-driver MEDIUM_FOLDER DESTINATION RUNS [none|pump]
// Times INSTALL.DLL alone under Wine: every package of the medium extracted into a folder of its
// own below DESTINATION, with a callback that does nothing ("none") or only passes over the
// message queue ("pump"). Set beside the whole installation's time, it tells how much of that
// time the library itself costs and how much the installer's window updates add.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/wine/support/Driver.h"
#include "unzip/UnzipApi.h"

namespace {

using Clock = std::chrono::steady_clock;
using ExecFunction = int32_t(UNZIP_STDCALL*)(UnzipParams*);

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

std::vector<std::string> Packages(const std::string& medium) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((medium + "\\*.pck").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench-unzip-driver MEDIUM DESTINATION RUNS [none|pump]\n");
    return 2;
  }
  const std::string medium = argv[1];
  const std::string destination = argv[2];
  const int runs = std::max(1, std::atoi(argv[3]));
  const bool pump = argc > 4 && std::strcmp(argv[4], "pump") == 0;
  HMODULE library = LoadLibraryA((medium + "\\INSTALL.DLL").c_str());
  auto exec = library ? reinterpret_cast<ExecFunction>(
                            reinterpret_cast<void*>(GetProcAddress(library, "UnzDllExec")))
                      : nullptr;
  if (exec == nullptr) {
    std::fprintf(stderr, "bench-unzip-driver: no INSTALL.DLL in %s\n", medium.c_str());
    return 1;
  }
  const std::vector<std::string> packages = Packages(medium);
  static UnzipParams params;
  std::vector<double> seconds;
  for (int run = 0; run < runs; ++run) {
    winetest::RemoveTree(destination);
    CreateDirectoryA(destination.c_str(), nullptr);
    for (const std::string& package : packages) {
      CreateDirectoryA((destination + "\\" + package).c_str(), nullptr);
    }
    gFiles = 0;
    const Clock::time_point start = Clock::now();
    for (const std::string& package : packages) {
      SetCurrentDirectoryA((destination + "\\" + package).c_str());
      const std::string archive = medium + "\\" + package;
      std::memset(&params, 0, sizeof params);
      params.Callback = pump ? Pump : Quiet;
      params.ArchiveName = archive.c_str();
      const int32_t result = exec(&params);
      if (result != 0) std::fprintf(stderr, "%s: result %d\n", package.c_str(), int(result));
    }
    seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    SetCurrentDirectoryA(medium.c_str());
    std::printf("run %d: %d files in %.3f s (%.3f ms per file)\n", run + 1, gFiles, seconds.back(),
                1000 * seconds.back() / std::max(1, gFiles));
    std::fflush(stdout);
  }
  std::sort(seconds.begin(), seconds.end());
  std::printf("median: %.3f s\n", seconds[seconds.size() / 2]);
  FreeLibrary(library);
  return 0;
}
