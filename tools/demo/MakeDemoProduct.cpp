// make-demo-product OUT_DIR [--scale N]
// Writes the demo product that ./run installs; N multiplies its file counts (default 1).
#include <cstdio>
#include <exception>
#include <string>

#include "tools/demo/DemoProduct.h"

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--scale")) {
    std::fprintf(stderr, "usage: make-demo-product OUT_DIR [--scale N]\n");
    return 2;
  }
  try {
    demo::DemoSize size = demo::kDemoSize;
    if (argc == 4) {
      int scale = std::stoi(argv[3]);
      if (scale < 1) throw std::invalid_argument("scale");
      size.partFilesPerFolder *= scale;
      size.picturesPerFolder *= scale;
      size.binaryFiles *= scale;
    }
    demo::MakeDemoProduct(argv[1], size);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-demo-product: %s\n", error.what());
    return 1;
  }
}
