#include "TestArchive.h"

#include <zlib.h>

#include <stdexcept>

namespace unzip::test {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Put64(std::vector<std::uint8_t>& out, std::uint64_t v) {
  Put32(out, std::uint32_t(v));
  Put32(out, std::uint32_t(v >> 32));
}
void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

std::string Deflate(const std::string& content) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2");
  }
  std::string out(deflateBound(&z, uLong(content.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  z.avail_in = uInt(content.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = uInt(out.size());
  const int status = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (status != Z_STREAM_END) throw std::runtime_error("deflate");
  return out;
}

std::vector<std::uint8_t> MakeArchive(const std::vector<TestMember>& members,
                                      const TestArchiveOptions& options) {
  std::vector<std::uint8_t> out;
  PutText(out, options.prefix);
  const std::uint64_t base = out.size();
  std::vector<std::uint8_t> central;
  for (const auto& m : members) {
    const std::uint16_t method = m.method != 0xFFFF ? m.method : (m.deflate ? 8 : 0);
    const std::string data = method == 8 ? Deflate(m.content) : m.content;
    const std::uint32_t realCrc = std::uint32_t(
        crc32(0, reinterpret_cast<const Bytef*>(m.content.data()), uInt(m.content.size())));
    const std::uint32_t crc = m.crc.value_or(realCrc);
    const std::uint64_t size = m.size.value_or(m.content.size());
    const std::uint64_t csize = m.compressedSize.value_or(data.size());
    const std::uint16_t flags = std::uint16_t(m.flags | (m.dataDescriptor ? 8 : 0));
    const std::uint64_t localOffset = out.size() - base;

    std::vector<std::uint8_t> zip64Extra;
    if (m.zip64) {
      Put16(zip64Extra, 1);
      Put16(zip64Extra, 24);
      Put64(zip64Extra, size);
      Put64(zip64Extra, csize);
      Put64(zip64Extra, localOffset);
    }

    Put32(out, 0x04034b50);
    Put16(out, m.zip64 ? 45 : 20);
    Put16(out, flags);
    Put16(out, method);
    Put16(out, m.time);
    Put16(out, m.date);
    Put32(out, m.dataDescriptor ? 0 : crc);
    Put32(out, m.dataDescriptor ? 0 : (m.zip64 ? 0xFFFFFFFF : std::uint32_t(csize)));
    Put32(out, m.dataDescriptor ? 0 : (m.zip64 ? 0xFFFFFFFF : std::uint32_t(size)));
    Put16(out, std::uint16_t(m.name.size()));
    Put16(out, 0);
    PutText(out, m.name);
    PutText(out, data);
    if (m.dataDescriptor) {
      Put32(out, 0x08074b50);
      Put32(out, crc);
      Put32(out, std::uint32_t(csize));
      Put32(out, std::uint32_t(size));
    }

    Put32(central, 0x02014b50);
    Put16(central, 0x0014);  // made by MS-DOS, version 2.0
    Put16(central, m.zip64 ? 45 : 20);
    Put16(central, flags);
    Put16(central, method);
    Put16(central, m.time);
    Put16(central, m.date);
    Put32(central, crc);
    Put32(central, m.zip64 ? 0xFFFFFFFF : std::uint32_t(csize));
    Put32(central, m.zip64 ? 0xFFFFFFFF : std::uint32_t(size));
    Put16(central, std::uint16_t(m.name.size()));
    Put16(central, std::uint16_t(zip64Extra.size()));
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, m.externalAttributes);
    Put32(central, m.zip64 ? 0xFFFFFFFF : std::uint32_t(localOffset));
    PutText(central, m.name);
    central.insert(central.end(), zip64Extra.begin(), zip64Extra.end());
  }
  const std::uint64_t centralOffset = out.size() - base;
  out.insert(out.end(), central.begin(), central.end());
  const std::uint16_t count = options.entryCount.value_or(std::uint16_t(members.size()));
  if (options.zip64End) {
    const std::uint64_t zip64EndOffset = out.size() - base;
    Put32(out, 0x06064b50);
    Put64(out, 44);
    Put16(out, 45);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, count);
    Put64(out, count);
    Put64(out, central.size());
    Put64(out, centralOffset);
    Put32(out, 0x07064b50);
    Put32(out, 0);
    Put64(out, zip64EndOffset);
    Put32(out, 1);
  }
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, options.zip64End ? 0xFFFF : count);
  Put16(out, options.zip64End ? 0xFFFF : count);
  Put32(out, options.zip64End ? 0xFFFFFFFF : std::uint32_t(central.size()));
  Put32(out, options.zip64End ? 0xFFFFFFFF : std::uint32_t(centralOffset));
  Put16(out, std::uint16_t(options.comment.size()));
  PutText(out, options.comment);
  return out;
}

}  // namespace unzip::test
