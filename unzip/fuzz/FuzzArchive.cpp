// libFuzzer target: any bytes as an archive, extracted into memory by a storage that holds the
// extractor to its promises (ArchiveCheck.h says which, and how the input's last two bytes set up
// an earlier installation, a stop and a failing file operation). A broken promise is printed and
// trapped, so that libFuzzer keeps the input beside the sanitizers' own findings.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "unzip/fuzz/ArchiveCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string broken = unzip::fuzz::CheckArchiveInput(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "broken promise: %s\n", broken.c_str());
    __builtin_trap();
  }
  return 0;
}
