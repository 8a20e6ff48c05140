// mark-run-from-swap FILE...
// Run after the link of INSTALL.EXE and INSTALL.DLL (PeImage.h says why). Running it again on a
// marked file leaves the file untouched, so a build step may run it on every build.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "tools/pe-image/PeImage.h"

namespace {

namespace fs = std::filesystem;

bool Fail(const fs::path& path, const std::string& what) {
  std::fprintf(stderr, "mark-run-from-swap: %s: %s\n", path.string().c_str(), what.c_str());
  return false;
}

bool Mark(const fs::path& path) {
  std::vector<std::uint8_t> image;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail(path, "cannot be read");
    image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  switch (pe_image::MarkRunFromSwap(image)) {
    case pe_image::MarkResult::kUnchanged:
      return true;
    case pe_image::MarkResult::kNotAnImage:
      return Fail(path, "not a Windows program");
    case pe_image::MarkResult::kTruncated:
      return Fail(path, "ends inside its headers");
    case pe_image::MarkResult::kMarked:
      break;
  }
  // Written beside it and renamed over it, so that a failed write never leaves half a program
  // that the next build would take for a linked one.
  const fs::path written = path.string() + ".marking";
  {
    std::ofstream out(written, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    out.close();
    if (!out) return Fail(written, "cannot be written");
  }
  std::error_code error;
  const fs::perms mode = fs::status(path, error).permissions();
  if (!error) fs::permissions(written, mode, error);
  if (!error) fs::rename(written, path, error);
  if (error) {
    const std::string why = error.message();
    fs::remove(written, error);
    return Fail(path, "cannot be replaced: " + why);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: mark-run-from-swap FILE...\n");
    return 2;
  }
  bool ok = true;
  for (int i = 1; i < argc; ++i) ok = Mark(argv[i]) && ok;
  return ok ? 0 : 1;
}
