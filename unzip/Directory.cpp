#include "unzip/Directory.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "unzip/MemberName.h"

namespace unzip {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxComment = 0xFFFF;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kUtf8NameFlag = 0x0800;
constexpr std::uint8_t kHostUnix = 3;

bool SignatureAt(ArchiveWindow& window, std::uint64_t offset, std::uint32_t signature) {
  std::uint8_t bytes[4];
  return window.ReadExact(offset, bytes, 4) && Le32(bytes) == signature;
}

struct EndRecord {
  std::uint64_t directoryOffset = 0;  // as stored
  std::uint64_t directorySize = 0;
  std::uint64_t entries = 0;
  std::uint64_t recordStart = 0;  // where the directory should end: the (ZIP64) end record
  bool multiDisk = false;
};

// Reads the ZIP64 end record the locator in front of the classic end record points to, if any.
bool ReadZip64End(ArchiveWindow& window, std::uint64_t endOffset, EndRecord& record) {
  if (endOffset < kZip64LocatorSize) return false;
  const std::uint64_t locatorOffset = endOffset - kZip64LocatorSize;
  std::uint8_t locator[kZip64LocatorSize];
  if (!window.ReadExact(locatorOffset, locator, sizeof locator) ||
      Le32(locator) != kZip64LocatorSignature) {
    return false;
  }
  if (Le32(locator + 4) != 0 || Le32(locator + 16) > 1) record.multiDisk = true;
  // The stored offset is wrong by the stub's length in a self-extractor; the record normally
  // sits right in front of the locator, so look there too.
  std::uint8_t end[kZip64EndSize];
  std::uint64_t at = Le64(locator + 8);
  if (!(window.ReadExact(at, end, sizeof end) && Le32(end) == kZip64EndSignature)) {
    if (locatorOffset < kZip64EndSize) return false;
    at = locatorOffset - kZip64EndSize;
    if (!(window.ReadExact(at, end, sizeof end) && Le32(end) == kZip64EndSignature)) return false;
  }
  if (Le32(end + 16) != 0 || Le32(end + 20) != 0) record.multiDisk = true;
  record.entries = Le64(end + 32);
  record.directorySize = Le64(end + 40);
  record.directoryOffset = Le64(end + 48);
  record.recordStart = at;
  return true;
}

}  // namespace

bool LocateDirectory(ArchiveWindow& window, DirectoryLayout& layout) {
  const std::uint64_t archiveSize = window.ArchiveSize();
  if (archiveSize < kEndSize) return false;
  const std::size_t tailSize =
      std::size_t(std::min<std::uint64_t>(archiveSize, kEndSize + kMaxComment));
  const std::uint64_t tailStart = archiveSize - tailSize;
  std::vector<std::uint8_t> tail(tailSize);
  if (!window.ReadExact(tailStart, tail.data(), tail.size())) return false;

  // An archive comment may itself hold something that looks like an end record (even a whole
  // archive), so the search goes on backwards until a record leads to a real directory. A record
  // whose offsets only fit once shifted (a self-extractor stub in front) is kept as a fallback.
  std::optional<DirectoryLayout> shifted;
  for (std::size_t i = tailSize - kEndSize + 1; i-- > 0;) {
    const std::uint8_t* p = tail.data() + i;
    if (Le32(p) != kEndSignature) continue;
    const std::uint64_t endOffset = tailStart + i;
    // The comment must fit in the archive; trailing junk after it is tolerated.
    if (i + kEndSize + Le16(p + 20) > tailSize) continue;

    EndRecord record;
    record.entries = Le16(p + 10);
    record.directorySize = Le32(p + 12);
    record.directoryOffset = Le32(p + 16);
    record.recordStart = endOffset;
    const bool zip64 = ReadZip64End(window, endOffset, record);
    // With a ZIP64 record, the classic one may say 0xFFFF for disk numbers kept there instead.
    for (const std::uint16_t disk : {Le16(p + 4), Le16(p + 6)}) {
      if (disk != 0 && !(zip64 && disk == 0xFFFF)) record.multiDisk = true;
    }
    if (record.multiDisk) continue;
    if (record.directorySize > record.recordStart) continue;

    if (record.entries == 0) {
      layout = {record.recordStart, 0, 0, 0};
      return true;
    }
    if (record.directoryOffset <= record.recordStart - record.directorySize &&
        SignatureAt(window, record.directoryOffset, kCentralSignature)) {
      layout = {record.directoryOffset, record.directorySize, record.entries, 0};
      return true;
    }
    const std::uint64_t expected = record.recordStart - record.directorySize;
    if (!shifted && expected > record.directoryOffset &&
        SignatureAt(window, expected, kCentralSignature)) {
      shifted = DirectoryLayout{expected, record.directorySize, record.entries,
                                expected - record.directoryOffset};
    }
  }
  if (!shifted) return false;
  layout = *shifted;
  return true;
}

bool Member::IsFolder() const {
  if (!name.empty() && (name.back() == '/' || name.back() == '\\')) return true;
  // MS-DOS attribute bit, or a Unix directory mode from Info-ZIP on Unix.
  if (hostSystem != kHostUnix && (externalAttributes & 0x10) != 0) return true;
  return hostSystem == kHostUnix && ((externalAttributes >> 16) & 0170000) == 0040000;
}

DirectoryWalker::DirectoryWalker(ArchiveWindow& window, const DirectoryLayout& layout)
    : window_(window), layout_(layout), position_(layout.offset) {}

DirectoryWalker::Step DirectoryWalker::Next(Member& member) {
  if (read_ >= layout_.entries) return Step::kEnd;
  std::uint8_t h[kCentralSize];
  if (!window_.ReadExact(position_, h, sizeof h) || Le32(h) != kCentralSignature) {
    return Step::kBroken;
  }
  const std::size_t nameLength = Le16(h + 28);
  const std::size_t extraLength = Le16(h + 30);
  const std::size_t commentLength = Le16(h + 32);

  member = Member{};
  member.hostSystem = h[5];
  member.flags = Le16(h + 8);
  member.method = Le16(h + 10);
  member.stamp = {Le16(h + 14), Le16(h + 12)};
  member.crc = Le32(h + 16);
  member.compressedSize = Le32(h + 20);
  member.size = Le32(h + 24);
  member.externalAttributes = Le32(h + 38);
  member.localOffset = Le32(h + 42);
  const bool otherDisk = Le16(h + 34) != 0 && Le16(h + 34) != 0xFFFF;

  // Name and extra field are at most 2 x 64 KiB: a bounded buffer whatever the header says.
  member.name.resize(nameLength);
  std::vector<std::uint8_t> extra(extraLength);
  if (!window_.ReadExact(position_ + kCentralSize, member.name.data(), nameLength) ||
      !window_.ReadExact(position_ + kCentralSize + nameLength, extra.data(), extraLength)) {
    return Step::kBroken;
  }

  // ZIP64 values appear, in this order, only for the fields that are saturated in the header.
  std::uint64_t* wanted[] = {
      member.size == 0xFFFFFFFF ? &member.size : nullptr,
      member.compressedSize == 0xFFFFFFFF ? &member.compressedSize : nullptr,
      member.localOffset == 0xFFFFFFFF ? &member.localOffset : nullptr,
  };
  std::size_t pending =
      std::count_if(std::begin(wanted), std::end(wanted), [](auto* w) { return w; });
  for (std::size_t at = 0; pending > 0 && at + 4 <= extraLength;) {
    const std::uint16_t id = Le16(&extra[at]);
    const std::size_t length = Le16(&extra[at + 2]);
    const std::size_t body = at + 4;
    if (body + length > extraLength) break;
    if (id == kZip64ExtraId) {
      std::size_t field = body;
      for (auto* target : wanted) {
        if (!target) continue;
        if (field + 8 > body + length) break;
        *target = Le64(&extra[field]);
        field += 8;
        --pending;
      }
      break;
    }
    at = body + length;
  }
  // A name flagged as UTF-8 is written in the code page the file calls take; what it cannot hold
  // becomes a '?', so the member is refused by its name rather than written under a garbled one.
  if ((member.flags & kUtf8NameFlag) != 0) Utf8ToCodePage1252(member.name);
  member.damaged = pending > 0 || otherDisk;
  member.localOffset += layout_.bias;

  position_ += kCentralSize + nameLength + extraLength + commentLength;
  ++read_;
  return Step::kMember;
}

bool LocateData(ArchiveWindow& window, const Member& member, std::uint64_t& dataOffset) {
  std::uint8_t h[kLocalSize];
  if (!window.ReadExact(member.localOffset, h, sizeof h) || Le32(h) != kLocalSignature) {
    return false;
  }
  dataOffset = member.localOffset + kLocalSize + Le16(h + 26) + Le16(h + 28);
  const std::uint64_t size = window.ArchiveSize();
  return dataOffset <= size && member.compressedSize <= size - dataOffset;
}

}  // namespace unzip
