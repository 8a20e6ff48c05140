// Shared by the presentation tests: a peer that counts repaint requests, colour reading from the
// headless raster, and saving the picture of a failed pixel test into the build folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "toolkit/Canvas.h"
#include "toolkit/Controls.h"
#include "toolkit/headless/SoftRaster.h"

namespace uitest {

class CountingPeer : public toolkit::ControlPeer {
 public:
  explicit CountingPeer(int& invalidates) : invalidates_(invalidates) {}
  void Changed(toolkit::Property) override {}
  void Invalidate(const toolkit::Rect*) override { ++invalidates_; }
  void Update() override {}

 private:
  int& invalidates_;
};

inline toolkit::TColor ColorAt(const toolkit::headless::SoftRaster& raster, int x, int y) {
  return toolkit::FromPixel(raster.At(x, y));
}

inline void SaveOnFailure(const toolkit::headless::SoftRaster& raster, const std::string& name) {
  if (::testing::Test::HasFailure())
    raster.SavePpm(std::string(UI_TEST_OUTPUT_DIR) + "/" + name + ".ppm");
}

}  // namespace uitest
