// The CRC-32 of ZIP members, sixteen bytes a step. INSTALL.DLL sums with this rather than with
// zlib's, whose tables would be 6 KB of the DLL: these are filled in memory as the first sum
// starts. Sums are taken on the extracting thread alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace unzip {

// Continues `crc` (0 to start) over `size` bytes.
std::uint32_t Crc32(std::uint32_t crc, const unsigned char* data, std::size_t size);

}  // namespace unzip
