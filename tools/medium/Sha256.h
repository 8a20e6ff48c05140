// SHA-256 (FIPS 180-4), for the medium's SHA256SUMS: whoever copies a medium can check every file
// of it with `sha256sum -c` (or PowerShell's Get-FileHash) against the list make-medium wrote. Our
// own, since the medium's core also builds for Win32, where the Wine tests write their media.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace medium {

class Sha256 {
 public:
  Sha256();
  void Add(std::span<const std::uint8_t> bytes);
  // The digest of everything added; the object is spent afterwards.
  std::array<std::uint8_t, 32> Finish();

 private:
  void Block(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t length_ = 0;  // bytes added
};

// The digest in 64 lower-case hexadecimal digits, as sha256sum writes it.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace medium
