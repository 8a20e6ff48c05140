// The product picture travels packed in INSTALL.EXE. The packed resource must give back the
// committed bitmap pixel for pixel, and damaged data must be refused rather than read past.
#include "toolkit/RunLength.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(RunLength, TheProductPictureDecodesToTheCommittedBitmap) {
  auto packed = ReadFile(std::string(SOURCE_DIR) + "/assets/product.rle");
  auto bmp = ReadFile(std::string(SOURCE_DIR) + "/assets/product.bmp");
  ASSERT_FALSE(packed.empty());
  ASSERT_GT(bmp.size(), 54u);
  auto picture = toolkit::DecodeRunLength(packed.data(), packed.size());
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->width, 429);
  ASSERT_EQ(picture->height, 185);
  std::uint32_t offset;
  std::memcpy(&offset, &bmp[10], 4);
  const std::size_t row = 429 * 3;
  const std::size_t stride = (row + 3) & ~std::size_t(3);
  for (int y = 0; y < 185; ++y) {
    // The bitmap stores its rows from the bottom up.
    const std::uint8_t* expected = &bmp[offset + (184 - y) * stride];
    ASSERT_EQ(0, std::memcmp(expected, &picture->bgr[y * row], row)) << "row " << y;
  }
}

TEST(RunLength, ThePackedResourceGivesTheSamePictureAndRefusesDamage) {
  auto runs = ReadFile(std::string(SOURCE_DIR) + "/assets/product.rle");
  auto packed = ReadFile(std::string(SOURCE_DIR) + "/assets/product.rl4");
  ASSERT_FALSE(packed.empty());
  auto fromRuns = toolkit::DecodeRunLength(runs.data(), runs.size());
  auto fromPacked = toolkit::DecodePackedPicture(packed.data(), packed.size());
  ASSERT_TRUE(fromRuns && fromPacked);
  EXPECT_EQ(fromPacked->bgr, fromRuns->bgr);
  EXPECT_LT(packed.size() * 3, runs.size());
  // The block carries no checksum: a changed byte gives another picture or none, never a read or
  // a write past an end.
  for (std::size_t at = 8; at < packed.size(); at += 97) {
    auto damaged = packed;
    damaged[at] ^= 0x55;
    auto picture = toolkit::DecodePackedPicture(damaged.data(), damaged.size());
    if (picture) {
      EXPECT_EQ(picture->bgr.size(), fromRuns->bgr.size());
    }
  }
  packed.resize(packed.size() / 2);
  EXPECT_FALSE(toolkit::DecodePackedPicture(packed.data(), packed.size()));
}

TEST(RunLength, RunsAndLiteralsDecode) {
  const std::uint8_t data[] = {'T', 'R', 'L', 'E', 3, 0, 1, 0, 1, 10, 20, 30, 128, 1, 2, 3};
  auto picture = toolkit::DecodeRunLength(data, sizeof data);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->bgr, (std::vector<std::uint8_t>{10, 20, 30, 10, 20, 30, 1, 2, 3}));
}

TEST(RunLength, DamagedDataIsRefused) {
  const std::uint8_t truncated[] = {'T', 'R', 'L', 'E', 3, 0, 1, 0, 1, 10, 20};
  EXPECT_FALSE(toolkit::DecodeRunLength(truncated, sizeof truncated));
  // A run longer than the picture has room for.
  const std::uint8_t overlong[] = {'T', 'R', 'L', 'E', 2, 0, 1, 0, 5, 1, 2, 3};
  EXPECT_FALSE(toolkit::DecodeRunLength(overlong, sizeof overlong));
  const std::uint8_t badMagic[] = {'B', 'M', 'L', 'E', 1, 0, 1, 0, 0, 1, 2, 3};
  EXPECT_FALSE(toolkit::DecodeRunLength(badMagic, sizeof badMagic));
  const std::uint8_t trailing[] = {'T', 'R', 'L', 'E', 1, 0, 1, 0, 0, 1, 2, 3, 9};
  EXPECT_FALSE(toolkit::DecodeRunLength(trailing, sizeof trailing));
}

}  // namespace
