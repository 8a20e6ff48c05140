// Directory finds an archive's central directory and walks it one member at a time. Nothing in
// the archive is trusted for an allocation: the walk streams through the window, each record is
// checked against the archive's real size, and the entry count only bounds the walk.
#pragma once

#include <cstdint>
#include <string>

#include "unzip/ArchiveWindow.h"
#include "unzip/Storage.h"

namespace unzip {

struct DirectoryLayout {
  std::uint64_t offset = 0;  // where the first central header really is
  std::uint64_t size = 0;
  std::uint64_t entries = 0;
  // Bytes in front of the archive proper (a self-extractor stub): stored offsets are short by it.
  std::uint64_t bias = 0;
};

// False when no end record leads to a central directory, or the archive spans several disks.
bool LocateDirectory(ArchiveWindow& window, DirectoryLayout& layout);

struct Member {
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  DosDateTime stamp;
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t size = 0;
  std::uint64_t localOffset = 0;  // already corrected by the layout's bias
  std::uint32_t externalAttributes = 0;
  std::uint8_t hostSystem = 0;
  std::string name;  // raw bytes as stored
  // The ZIP64 extra field promised a value that is not there: the member cannot be read.
  bool damaged = false;

  bool Encrypted() const { return (flags & 1) != 0; }
  bool IsFolder() const;
};

inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflated = 8;

class DirectoryWalker {
 public:
  DirectoryWalker(ArchiveWindow& window, const DirectoryLayout& layout);

  enum class Step {
    kMember,  // `member` holds the next entry
    kEnd,     // every entry the end record announced was read
    kBroken,  // the directory stops short of its announced entries or a header is damaged
  };
  Step Next(Member& member);

 private:
  ArchiveWindow& window_;
  DirectoryLayout layout_;
  std::uint64_t position_;
  std::uint64_t read_ = 0;
};

// Finds where a member's data begins, behind its local header; false when the local header is
// missing or its data would run past the end of the archive.
bool LocateData(ArchiveWindow& window, const Member& member, std::uint64_t& dataOffset);

}  // namespace unzip
