// The CRC every journal sum and archive member check rests on: the standard check values, and the
// same sum whatever the lengths and alignments the text is handed over in, since the sum goes
// sixteen bytes a step and the rest a byte a step.
#include "toolkit/Crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Crc32Test, GivesTheStandardSumInAnyPieces) {
  EXPECT_EQ(toolkit::Crc32(0, "", 0), 0u);
  EXPECT_EQ(toolkit::Crc32(0, "123456789", 9), 0xCBF43926u);
  EXPECT_EQ(toolkit::Crc32(0, "The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
  std::string text;
  for (int i = 0; i < 1000; ++i) text += char(i * 37 + 11);
  // A byte at a time is the plain definition; every split and offset must agree with it.
  std::uint32_t bytewise = 0;
  for (char c : text) bytewise = toolkit::Crc32(bytewise, &c, 1);
  for (std::size_t split : {1u, 7u, 15u, 16u, 17u, 33u, 999u}) {
    const std::uint32_t first = toolkit::Crc32(0, text.data(), split);
    EXPECT_EQ(toolkit::Crc32(first, text.data() + split, text.size() - split), bytewise) << split;
  }
}

}  // namespace
