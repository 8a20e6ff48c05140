#include "unzip/Crc32.h"

namespace unzip {
namespace {

// One table per byte of a step. Zeros until the first sum: built at run time, they take no room
// in the file (initialised from a function, the optimiser would work them out and store them).
std::uint32_t tables[16][256];

void FillTables() {
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][n] = c;
  }
  for (std::uint32_t n = 0; n < 256; ++n) {
    for (int t = 1; t < 16; ++t)
      tables[t][n] = (tables[t - 1][n] >> 8) ^ tables[0][tables[t - 1][n] & 0xFF];
  }
}

std::uint32_t Word(const unsigned char* bytes) {
  return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
         std::uint32_t(bytes[3]) << 24;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const unsigned char* data, std::size_t size) {
  // The sum of the byte 1 is never zero: once it is there, every table is.
  if (tables[0][1] == 0) FillTables();
  const auto& t = tables;
  crc = ~crc;
  for (; size >= 16; size -= 16, data += 16) {
    const std::uint32_t a = Word(data) ^ crc;
    const std::uint32_t b = Word(data + 4);
    const std::uint32_t c = Word(data + 8);
    const std::uint32_t d = Word(data + 12);
    crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
          t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
          t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
          t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
  }
  for (; size > 0; --size, ++data) crc = t[0][(crc ^ *data) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

}  // namespace unzip
