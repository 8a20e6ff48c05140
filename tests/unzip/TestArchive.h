// TestArchive writes ZIP archives for the tests byte by byte, so that a test can make exactly the
// archive it needs, lies and damage included, without depending on a zip tool's choices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace unzip::test {

struct TestMember {
  std::string name;
  std::string content;
  bool deflate = true;
  std::uint16_t date = 0x5A21;  // 2025-01-01
  std::uint16_t time = 0x6000;  // 12:00:00
  std::uint16_t flags = 0;
  std::uint16_t method = 0xFFFF;  // 0xFFFF: 0 or 8 as `deflate` says
  std::uint32_t externalAttributes = 0;
  bool dataDescriptor = false;
  bool zip64 = false;  // sizes and offset in a ZIP64 extra field
  // Lies told by the central directory.
  std::optional<std::uint32_t> crc;
  std::optional<std::uint64_t> size;
  std::optional<std::uint64_t> compressedSize;
};

struct TestArchiveOptions {
  std::string comment;
  std::string prefix;  // bytes in front of the archive (a self-extractor stub)
  bool zip64End = false;
  std::optional<std::uint16_t> entryCount;
};

std::string Deflate(const std::string& content);

std::vector<std::uint8_t> MakeArchive(const std::vector<TestMember>& members,
                                      const TestArchiveOptions& options = {});

}  // namespace unzip::test
