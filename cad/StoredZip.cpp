#include "cad/StoredZip.h"

#include "toolkit/Crc32.h"

namespace cad {
namespace {

void Put16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
// Version 2.0: what a reader needs for a stored member; made by MS-DOS (0), so the attributes are
// the FAT ones.
constexpr std::uint16_t kVersion = 20;

}  // namespace

void StoredZip::Add(std::string_view name, std::string_view content) {
  const std::uint32_t crc = toolkit::Crc32(0, content.data(), content.size());
  const auto size = static_cast<std::uint32_t>(content.size());
  const auto offset = static_cast<std::uint32_t>(members_.size());
  // The fields both headers share, from "version needed" to the name's length.
  std::string common;
  Put16(common, kVersion);
  Put16(common, 0);  // flags: no data descriptor, no encryption
  Put16(common, 0);  // method: stored
  Put16(common, time_);
  Put16(common, date_);
  Put32(common, crc);
  Put32(common, size);  // compressed: the same, stored
  Put32(common, size);
  Put16(common, static_cast<std::uint32_t>(name.size()));
  Put16(common, 0);  // extra field length

  Put32(members_, kLocalSignature);
  members_ += common;
  members_.append(name);
  members_.append(content);

  Put32(directory_, kCentralSignature);
  Put16(directory_, kVersion);
  directory_ += common;
  Put16(directory_, 0);  // comment length
  Put16(directory_, 0);  // disk number
  Put16(directory_, 0);  // internal attributes
  Put32(directory_, 0);  // external attributes
  Put32(directory_, offset);
  directory_.append(name);
  ++count_;
}

std::string StoredZip::Finish() const {
  std::string archive = members_ + directory_;
  Put32(archive, kEndSignature);
  Put16(archive, 0);  // this disk
  Put16(archive, 0);  // the directory's disk
  Put16(archive, count_);
  Put16(archive, count_);
  Put32(archive, static_cast<std::uint32_t>(directory_.size()));
  Put32(archive, static_cast<std::uint32_t>(members_.size()));
  Put16(archive, 0);  // comment length
  return archive;
}

}  // namespace cad
