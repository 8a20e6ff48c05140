#include "toolkit/Crc32.h"

#include <array>
#include <vector>

#include "toolkit/FileSystem.h"

namespace toolkit {
namespace {

// Built on first use rather than spelt out: a kilobyte of code the installer does not carry.
const std::array<std::uint32_t, 256>& Table() {
  static std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> built{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      built[n] = c;
    }
    return built;
  }();
  return table;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
  const auto& table = Table();
  const auto* bytes = static_cast<const unsigned char*>(data);
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
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
  fs::IoResult();
  fs::File file;
  file.Open(path, OpenMode::kRead, fs::Check::kRecord);
  if (fs::IoResult() != 0) return false;
  std::vector<char> buffer(64 * 1024);
  size = 0;
  crc = 0;
  for (;;) {
    const std::size_t read = file.Read(buffer.data(), buffer.size(), fs::Check::kRecord);
    if (fs::IoResult() != 0) return false;
    if (read == 0) return true;
    size += read;
    crc = Crc32(crc, buffer.data(), read);
  }
}

}  // namespace toolkit
