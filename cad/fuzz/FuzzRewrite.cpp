// libFuzzer target: any bytes as an AutoCAD text file, with any line ends, rewritten through
// RewriteWithBackup on the in-memory file system, with a marker, an insertion rule, a trailer and
// perhaps a failing file operation chosen by the input (RewriteCheck.h says how, and what must
// hold). A broken promise is printed and trapped, so that libFuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cad/fuzz/RewriteCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string broken = cad::fuzz::CheckRewriteInput(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "broken promise: %s\n", broken.c_str());
    __builtin_trap();
  }
  return 0;
}
