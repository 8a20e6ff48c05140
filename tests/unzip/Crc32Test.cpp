// The members' CRC, which INSTALL.DLL takes in place of zlib's: zlib's own sum is the reference,
// over every length and split around the sixteen-byte step.
#include "unzip/Crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

namespace {

TEST(UnzipCrc32Test, AgreesWithZlibInAnyPieces) {
  std::vector<unsigned char> bytes(1000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 37 + 11);
  EXPECT_EQ(unzip::Crc32(0, bytes.data(), 0), 0u);
  for (std::size_t length : {1u, 15u, 16u, 17u, 31u, 32u, 999u, 1000u}) {
    const auto expected = std::uint32_t(crc32(0, bytes.data(), uInt(length)));
    EXPECT_EQ(unzip::Crc32(0, bytes.data(), length), expected) << length;
    for (std::size_t split : {1u, 15u, 16u, 17u}) {
      if (split > length) continue;
      const std::uint32_t first = unzip::Crc32(0, bytes.data(), split);
      EXPECT_EQ(unzip::Crc32(first, bytes.data() + split, length - split), expected)
          << length << " split at " << split;
    }
  }
}

}  // namespace
