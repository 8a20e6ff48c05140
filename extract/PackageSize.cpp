#include "extract/PackageSize.h"

#include <algorithm>
#include <vector>

#include "toolkit/FileSystem.h"
#include "toolkit/Utf8.h"

namespace extract {
namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kLocatorSize = 20;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kCentralSize = 46;
// The end record may be followed by a comment of up to 65535 bytes.
constexpr std::size_t kTailSize = kEndSize + 0xFFFF;
// A directory beyond this is no package of ours: it is not read into memory.
constexpr std::uint64_t kMaxDirectory = 64u << 20;

std::uint64_t Little(const unsigned char* bytes, int count) {
  std::uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

class Package {
 public:
  explicit Package(const std::string& path) {
    ok_ = file_.TryOpen(path, toolkit::OpenMode::kRead).Done() && file_.TrySize(size_).Done();
  }
  bool Ok() const { return ok_; }
  std::uint64_t Size() const { return size_; }

  bool ReadAt(std::uint64_t offset, std::vector<unsigned char>& bytes) {
    if (offset > size_ || bytes.size() > size_ - offset) return false;
    if (file_.TrySeek(offset).Failed()) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
      std::size_t read = 0;
      if (file_.TryRead(bytes.data() + done, bytes.size() - done, read).Failed()) return false;
      if (read == 0) break;
      done += read;
    }
    return done == bytes.size();
  }

 private:
  toolkit::fs::File file_;
  std::uint64_t size_ = 0;
  bool ok_ = false;
};

struct Directory {
  std::uint64_t entries = 0;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

// Where the central directory lies, from the end record (and the ZIP64 one where it stands).
std::optional<Directory> FindDirectory(Package& package) {
  const std::uint64_t tailSize = std::min<std::uint64_t>(package.Size(), kTailSize);
  std::vector<unsigned char> tail(tailSize);
  if (tailSize < kEndSize || !package.ReadAt(package.Size() - tailSize, tail)) return std::nullopt;
  for (std::size_t at = tailSize - kEndSize + 1; at-- > 0;) {
    const unsigned char* end = tail.data() + at;
    if (Little(end, 4) != kEndSignature) continue;
    Directory directory{Little(end + 10, 2), Little(end + 16, 4), Little(end + 12, 4)};
    const std::uint64_t endOffset = package.Size() - tailSize + at;
    const bool zip64 = directory.entries == 0xFFFF || directory.offset == 0xFFFFFFFF ||
                       directory.size == 0xFFFFFFFF;
    if (zip64 && endOffset >= kLocatorSize) {
      std::vector<unsigned char> locator(kLocatorSize);
      if (!package.ReadAt(endOffset - kLocatorSize, locator) ||
          Little(locator.data(), 4) != kZip64LocatorSignature) {
        return std::nullopt;
      }
      std::vector<unsigned char> record(kZip64EndSize);
      if (!package.ReadAt(Little(locator.data() + 8, 8), record) ||
          Little(record.data(), 4) != kZip64EndSignature) {
        return std::nullopt;
      }
      directory = {Little(record.data() + 32, 8), Little(record.data() + 48, 8),
                   Little(record.data() + 40, 8)};
    }
    return directory;
  }
  return std::nullopt;
}

// A member's uncompressed size, from its directory entry and, when that says 0xFFFFFFFF, its
// ZIP64 extra field.
bool EntrySize(const unsigned char* entry, std::size_t available, std::uint64_t& size,
               std::size_t& length) {
  if (available < kCentralSize || Little(entry, 4) != kCentralSignature) return false;
  const std::size_t nameLength = Little(entry + 28, 2);
  const std::size_t extraLength = Little(entry + 30, 2);
  const std::size_t commentLength = Little(entry + 32, 2);
  length = kCentralSize + nameLength + extraLength + commentLength;
  if (length > available) return false;
  size = Little(entry + 24, 4);
  if (size != 0xFFFFFFFF) return true;
  const unsigned char* extra = entry + kCentralSize + nameLength;
  for (std::size_t at = 0; at + 4 <= extraLength;) {
    const std::size_t fieldSize = Little(extra + at + 2, 2);
    if (Little(extra + at, 2) == 0x0001 && fieldSize >= 8 && at + 4 + fieldSize <= extraLength) {
      size = Little(extra + at + 4, 8);
      return true;
    }
    at += 4 + fieldSize;
  }
  return false;
}

}  // namespace

namespace {
constexpr std::uint64_t kMegabyte = 1024 * 1024;
}  // namespace

std::string MegabytesNeeded(std::uint64_t bytes) {
  return std::to_string((bytes + kMegabyte - 1) / kMegabyte);
}

std::string MegabytesFree(std::uint64_t bytes) { return std::to_string(bytes / kMegabyte); }

std::optional<std::uint64_t> PackageContentSize(const std::string& path, const MemberVisit& each) {
  Package package(path);
  if (!package.Ok()) return std::nullopt;
  const std::optional<Directory> directory = FindDirectory(package);
  if (!directory || directory->size > kMaxDirectory) return std::nullopt;
  std::vector<unsigned char> entries(directory->size);
  if (!package.ReadAt(directory->offset, entries)) return std::nullopt;
  std::uint64_t total = 0;
  std::size_t at = 0;
  for (std::uint64_t entry = 0; entry < directory->entries; ++entry) {
    std::uint64_t size = 0;
    std::size_t length = 0;
    const unsigned char* bytes = entries.data() + at;
    if (!EntrySize(bytes, entries.size() - at, size, length)) return std::nullopt;
    if (each) {
      // The name as the installer names the file: UTF-8, from code page 1252 unless the archive
      // flags it as UTF-8 already (general purpose bit 11), as INSTALL.DLL reads it.
      const std::string_view raw(reinterpret_cast<const char*>(bytes) + kCentralSize,
                                 Little(bytes + 28, 2));
      const bool utf8 = (Little(bytes + 8, 2) & 0x0800) != 0;
      each(utf8 ? std::string(raw) : toolkit::Utf8FromCp1252(raw),
           static_cast<std::uint32_t>(Little(bytes + 16, 4)), size);
    }
    total += size;
    at += length;
  }
  return total;
}

}  // namespace extract
