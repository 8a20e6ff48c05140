#include "tools/medium/ZipWriter.h"

#include <zlib.h>

#include <limits>

namespace medium {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint16_t kVersion20 = 20;  // deflate and folders: what every reader understands
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint32_t kArchiveAttribute = 0x20;  // as a DOS copy of a fresh file would have it

class Bytes {
 public:
  explicit Bytes(std::vector<std::uint8_t>& out) : out_(out) {}
  void U16(std::uint16_t value) {
    out_.push_back(static_cast<std::uint8_t>(value));
    out_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  void Append(std::span<const std::uint8_t> data) {
    out_.insert(out_.end(), data.begin(), data.end());
  }
  void Append(const std::string& text) { out_.insert(out_.end(), text.begin(), text.end()); }

 private:
  std::vector<std::uint8_t>& out_;
};

// Raw deflate (no zlib header), as ZIP stores it. Empty result when it would not save a byte.
std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> data) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    throw Error("zlib cannot start a deflate stream");
  }
  std::vector<std::uint8_t> out(deflateBound(&stream, static_cast<uLong>(data.size())));
  stream.next_in = const_cast<Bytef*>(data.data());
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) throw Error("zlib could not deflate a member");
  if (out.size() >= data.size()) out.clear();
  return out;
}

struct CentralEntry {
  std::string name;
  std::uint16_t method = kStored;
  std::uint32_t crc = 0;
  std::uint32_t packedSize = 0;
  std::uint32_t size = 0;
  std::uint32_t offset = 0;
};

std::uint32_t Fits32(std::uint64_t value, const std::string& what) {
  if (value >= std::numeric_limits<std::uint32_t>::max()) {
    throw Error(what + " is 4 GiB or more, which a package cannot hold");
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace

DosStamp MakeDosStamp(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980 || year > 2107) throw Error("a ZIP time stamp lies between 1980 and 2107");
  return {static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day),
          static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2))};
}

std::vector<std::uint8_t> PackArchive(const std::vector<ArchiveMember>& members, DosStamp stamp) {
  if (members.size() > 0xFFFF) {
    throw Error("a package holds at most 65535 files; this one would hold " +
                std::to_string(members.size()));
  }
  std::vector<std::uint8_t> archive;
  Bytes out(archive);
  std::vector<CentralEntry> entries;
  for (const ArchiveMember& member : members) {
    if (member.name.empty() || member.name.size() > 0xFFFF) {
      throw Error("unusable member name '" + member.name + "'");
    }
    CentralEntry entry;
    entry.name = member.name;
    entry.size = Fits32(member.data.size(), member.name);
    entry.crc = static_cast<std::uint32_t>(
        crc32(crc32(0, nullptr, 0), member.data.data(), static_cast<uInt>(member.data.size())));
    std::vector<std::uint8_t> packed = Deflate(member.data);
    std::span<const std::uint8_t> body = member.data;
    if (!packed.empty()) {
      entry.method = kDeflated;
      body = packed;
    }
    entry.packedSize = static_cast<std::uint32_t>(body.size());
    entry.offset = Fits32(archive.size(), "the package before " + member.name);

    out.U32(kLocalSignature);
    out.U16(kVersion20);
    out.U16(0);  // no flags: sizes are known up front, names are code page text
    out.U16(entry.method);
    out.U16(stamp.time);
    out.U16(stamp.date);
    out.U32(entry.crc);
    out.U32(entry.packedSize);
    out.U32(entry.size);
    out.U16(static_cast<std::uint16_t>(entry.name.size()));
    out.U16(0);
    out.Append(entry.name);
    out.Append(body);
    entries.push_back(std::move(entry));
  }

  const std::uint32_t directoryOffset = Fits32(archive.size(), "the package");
  for (const CentralEntry& entry : entries) {
    out.U32(kCentralSignature);
    out.U16(kVersion20);  // made by: MS-DOS attributes, format 2.0
    out.U16(kVersion20);
    out.U16(0);
    out.U16(entry.method);
    out.U16(stamp.time);
    out.U16(stamp.date);
    out.U32(entry.crc);
    out.U32(entry.packedSize);
    out.U32(entry.size);
    out.U16(static_cast<std::uint16_t>(entry.name.size()));
    out.U16(0);  // extra field
    out.U16(0);  // comment
    out.U16(0);  // disk
    out.U16(0);  // internal attributes
    out.U32(kArchiveAttribute);
    out.U32(entry.offset);
    out.Append(entry.name);
  }
  const std::uint32_t directorySize =
      Fits32(archive.size() - directoryOffset, "the package's directory");
  out.U32(kEndSignature);
  out.U16(0);
  out.U16(0);
  out.U16(static_cast<std::uint16_t>(entries.size()));
  out.U16(static_cast<std::uint16_t>(entries.size()));
  out.U32(directorySize);
  out.U32(directoryOffset);
  out.U16(0);
  Fits32(archive.size(), "the package");
  return archive;
}

}  // namespace medium
