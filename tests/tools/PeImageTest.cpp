// The marking of the built programs: the standard image checksum (with Windows' carry folding, its
// own field left out and a last odd byte), both run-from-swap bits set beside the linker's, a
// second run that changes nothing, and a refusal that leaves a file that is no program untouched.
// The Wine tests check the real INSTALL.EXE and INSTALL.DLL against Windows' own checksum.
#include "tools/pe-image/PeImage.h"

#include <gtest/gtest.h>

namespace {

using pe_image::ImageChecksum;
using pe_image::MarkResult;
using pe_image::MarkRunFromSwap;
using Bytes = std::vector<std::uint8_t>;

TEST(PeImageTest, ChecksumFoldsCarriesSkipsItsFieldAndAddsTheLength) {
  struct Case {
    const char* what;
    Bytes bytes;
    std::size_t field;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {"zeros: the length alone", Bytes(8, 0), 4, 8},
      {"a carry folds back in", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, 4, 0xFFFF + 8},
      {"at every word, not once at the end", {0xFF, 0xFF, 0xFF, 0xFF, 1, 0}, 6, 1 + 6},
      {"words are little-endian", {0x34, 0x12, 0, 0}, 2, 0x1234 + 4},
      {"its own field counts as zero", {1, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD}, 4, 1 + 8},
      {"a last odd byte is a low byte", {0, 0, 0, 0, 0x7F}, 0, 0x7F + 5},
  };
  for (const Case& c : cases) EXPECT_EQ(ImageChecksum(c.bytes, c.field), c.expected) << c.what;
}

// A small PE32 image as ld lays it out: the new header at 0x40, a full optional header, a body.
constexpr std::size_t kCharacteristics = 0x40 + 4 + 18;
constexpr std::size_t kChecksum = 0x40 + 4 + 20 + 64;

Bytes Image(std::uint16_t characteristics, std::uint32_t checksum) {
  Bytes image(0x400, 0);
  for (std::size_t i = 0x200; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
  image[0] = 'M';
  image[1] = 'Z';
  image[0x3C] = 0x40;
  image[0x40] = 'P';
  image[0x41] = 'E';
  image[0x40 + 4 + 16] = 0xE0;  // the optional header's size
  image[kCharacteristics] = characteristics & 0xFF;
  image[kCharacteristics + 1] = characteristics >> 8;
  for (int i = 0; i < 4; ++i) image[kChecksum + i] = static_cast<std::uint8_t>(checksum >> 8 * i);
  return image;
}

std::uint32_t Field(const Bytes& image, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | image[at + i];
  return value;
}

// Marking again changes nothing, so the build may mark on every link.
TEST(PeImageTest, BothBitsJoinTheLinkersOnceAndAWrittenChecksumIsRight) {
  struct Case {
    const char* what;
    std::uint16_t before;
    std::uint32_t checksum;
    std::uint16_t after;
  };
  const Case cases[] = {
      {"a program with a checksum", 0x030E, 0x12345, 0x0F0E},
      {"a DLL with a checksum", 0x230E, 1, 0x2F0E},
      {"a program without a checksum", 0x030E, 0, 0x0F0E},
      {"one bit already set", 0x0402, 7, 0x0C02},
  };
  for (const Case& c : cases) {
    Bytes image = Image(c.before, c.checksum);
    EXPECT_EQ(MarkRunFromSwap(image), MarkResult::kMarked) << c.what;
    EXPECT_EQ(Field(image, kCharacteristics, 2), c.after) << c.what;
    const std::uint32_t expected = c.checksum == 0 ? 0 : ImageChecksum(image, kChecksum);
    EXPECT_EQ(Field(image, kChecksum, 4), expected) << c.what;

    const Bytes marked = image;
    EXPECT_EQ(MarkRunFromSwap(image), MarkResult::kUnchanged) << c.what;
    EXPECT_EQ(image, marked) << c.what;
  }
}

TEST(PeImageTest, WhatIsNoWholeProgramIsRefusedAndLeftAsItWas) {
  struct Case {
    const char* what;
    void (*damage)(Bytes&);
    MarkResult expected;
  };
  const Case cases[] = {
      {"no MZ", [](Bytes& b) { b[0] = 'X'; }, MarkResult::kNotAnImage},
      {"no PE signature", [](Bytes& b) { b[0x41] = 'X'; }, MarkResult::kNotAnImage},
      {"a text file", [](Bytes& b) { b = Bytes(100, 'h'); }, MarkResult::kNotAnImage},
      {"cut in the DOS header", [](Bytes& b) { b.resize(0x3C); }, MarkResult::kTruncated},
      {"new header past the end", [](Bytes& b) { b[0x3F] = 0x80; }, MarkResult::kTruncated},
      {"cut in the file header", [](Bytes& b) { b.resize(0x50); }, MarkResult::kTruncated},
      {"cut in the optional header", [](Bytes& b) { b.resize(0x100); }, MarkResult::kTruncated},
      {"optional header without a checksum", [](Bytes& b) { b[0x40 + 4 + 16] = 64; },
       MarkResult::kTruncated},
  };
  for (const Case& c : cases) {
    Bytes image = Image(0x030E, 0x12345);
    c.damage(image);
    const Bytes damaged = image;
    EXPECT_EQ(MarkRunFromSwap(image), c.expected) << c.what;
    EXPECT_EQ(image, damaged) << c.what;
  }
}

}  // namespace
