// ArchiveWindow reads the archive through one buffer, so that walking thousands of small headers
// and members costs one storage read per buffer's worth instead of one per header. Member data is
// handed out in place (Peek) so the inflater reads straight from the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "unzip/Storage.h"

namespace unzip {

class ArchiveWindow {
 public:
  ArchiveWindow(Storage& storage, std::uint64_t archiveSize, std::size_t capacity);

  std::uint64_t ArchiveSize() const { return size_; }

  // Up to `maxSize` bytes from `offset` on, valid until the next call; empty at the end of the
  // archive or when the storage fails (see LastError).
  std::span<const std::uint8_t> Peek(std::uint64_t offset, std::size_t maxSize);

  // Copies exactly `size` bytes; false when the archive ends first or a read fails.
  bool ReadExact(std::uint64_t offset, void* dest, std::size_t size);

  Status LastError() const { return error_; }

 private:
  bool Fill(std::uint64_t offset);

  Storage& storage_;
  std::uint64_t size_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t start_ = 0;
  std::size_t length_ = 0;
  Status error_ = kOk;
};

// Little-endian fields of the archive's records.
inline std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
inline std::uint64_t Le64(const std::uint8_t* p) {
  return std::uint64_t(Le32(p)) | (std::uint64_t(Le32(p + 4)) << 32);
}

}  // namespace unzip
