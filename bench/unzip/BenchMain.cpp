// unzip-bench: extracts packages the way the installer does, one call of unzip::Extract per
// package into its own target folder, with a callback that keeps the protocol's books like the
// installer's progress bar. It times the whole run and prints what was reported.
//
//   unzip-bench TARGET_ROOT PACKAGE.pck...   (package "x.pck" goes to TARGET_ROOT/x/)
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "unzip/Extract.h"
#include "unzip/PosixStorage.h"

namespace {

struct Tally {
  unsigned long files = 0;
  unsigned long steps = 0;
  unsigned long ends = 0;
};

std::int32_t UNZIP_STDCALL Count(UnzipCallbackInfo* info) {
  auto* tally = static_cast<Tally*>(info->Caller);
  switch (info->ActionCode) {
    case kUnzipActionFileStarts:
      ++tally->files;
      break;
    case kUnzipActionProgress:
      ++tally->steps;
      break;
    case kUnzipActionEnd:
      ++tally->ends;
      break;
  }
  return 0;
}

std::string Stem(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s TARGET_ROOT PACKAGE...\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  Tally tally;
  int failures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 2; i < argc; ++i) {
    const std::string target = root + "/" + Stem(argv[i]);
    ::mkdir(target.c_str(), 0777);
    auto params = std::make_unique<UnzipParams>();
    params->Caller = &tally;
    params->Callback = &Count;
    params->ArchiveName = argv[i];
    unzip::PosixStorage storage(target);
    const std::int32_t result = unzip::Extract(*params, storage);
    if (result != 0) {
      std::fprintf(stderr, "%s: result %d\n", argv[i], int(result));
      ++failures;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("packages %d, files %lu, progress reports %lu, ends %lu, %.3f s\n", argc - 2,
              tally.files, tally.steps, tally.ends, seconds);
  return failures == 0 ? 0 : 1;
}
