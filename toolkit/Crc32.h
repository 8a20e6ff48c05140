// The CRC-32 of ZIP archives (and zlib), by which the uninstaller tells a file the installation
// placed from one the user has changed since: the archive's directory gives each member's CRC,
// and the file on the disk is summed again before it is deleted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace toolkit {

namespace fs {
class File;
}

// Continues `crc` (0 to start) over `size` bytes.
std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);

// Size and CRC of a whole file; false when it cannot be read.
bool SumFile(const std::string& path, std::uint64_t& size, std::uint32_t& crc);
// The same of an open file, from its current position to its end.
bool SumOpenFile(fs::File& file, std::uint64_t& size, std::uint32_t& crc);

// Copies `from` to `to` (created or emptied) and returns the CRC of the bytes copied. File
// failures raise EInOutError.
std::uint32_t CopyFileSummed(const std::string& from, const std::string& to);

}  // namespace toolkit
