#include "toolkit/Crc32.h"

#include <array>
#include <vector>

#include "toolkit/FileSystem.h"

namespace toolkit {
namespace {

// Sixteen tables, one per byte of a step: the CRC goes sixteen bytes a step, several times
// faster than a byte a step, which made the sums of a rewritten AutoCAD file the rewrite's largest
// cost. Built on first use rather than spelt out: sixteen kilobytes the installer does not carry.
using Tables = std::array<std::array<std::uint32_t, 256>, 16>;

// Read when the tables are built: the optimiser, which would otherwise work the whole tables out
// while compiling and spell them into the program, cannot know a volatile's value.
volatile std::uint32_t polynomial = 0xEDB88320u;

const Tables& BuildTables() {
  static Tables tables = [] {
    Tables built{};
    const std::uint32_t reversed = polynomial;
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? reversed ^ (c >> 1) : c >> 1;
      built[0][n] = c;
    }
    for (std::uint32_t n = 0; n < 256; ++n) {
      for (std::size_t t = 1; t < built.size(); ++t) {
        built[t][n] = (built[t - 1][n] >> 8) ^ built[0][built[t - 1][n] & 0xFF];
      }
    }
    return built;
  }();
  return tables;
}

// The bytes' value as a little-endian word, whatever their alignment.
std::uint32_t LittleEndianWord(const unsigned char* bytes) {
  return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
         std::uint32_t(bytes[3]) << 24;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
  const Tables& t = BuildTables();
  const auto* bytes = static_cast<const unsigned char*>(data);
  crc = ~crc;
  for (; size >= 16; size -= 16, bytes += 16) {
    const std::uint32_t a = LittleEndianWord(bytes) ^ crc;
    const std::uint32_t b = LittleEndianWord(bytes + 4);
    const std::uint32_t c = LittleEndianWord(bytes + 8);
    const std::uint32_t d = LittleEndianWord(bytes + 12);
    crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
          t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
          t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
          t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
  }
  for (; size > 0; --size, ++bytes) crc = t[0][(crc ^ *bytes) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t CopyFileSummed(const std::string& from, const std::string& to) {
  fs::File source;
  source.Open(from, OpenMode::kRead);
  fs::File copy;
  copy.Open(to, OpenMode::kCreate);
  std::vector<char> buffer(64 * 1024);
  std::uint32_t crc = 0;
  while (const std::size_t read = source.Read(buffer.data(), buffer.size())) {
    copy.Write(buffer.data(), read);
    crc = Crc32(crc, buffer.data(), read);
  }
  copy.Close();
  return crc;
}

bool SumFile(const std::string& path, std::uint64_t& size, std::uint32_t& crc) {
  fs::File file;
  return file.TryOpen(path, OpenMode::kRead).Done() && SumOpenFile(file, size, crc);
}

bool SumOpenFile(fs::File& file, std::uint64_t& size, std::uint32_t& crc) {
  std::vector<char> buffer(64 * 1024);
  size = 0;
  crc = 0;
  for (;;) {
    std::size_t read = 0;
    if (file.TryRead(buffer.data(), buffer.size(), read).Failed()) return false;
    if (read == 0) return true;
    size += read;
    crc = Crc32(crc, buffer.data(), read);
  }
}

}  // namespace toolkit
