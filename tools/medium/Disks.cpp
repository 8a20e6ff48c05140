#include "tools/medium/Disks.h"

#include <cctype>

#include "tools/medium/ZipWriter.h"

namespace medium {

std::uint64_t RoomOf(std::uint64_t size) { return (size + 511) / 512 * 512; }

std::uint64_t RoomOnDisk(std::uint64_t diskSize) {
  constexpr std::uint64_t kFloppy = 1440 * 1024;
  constexpr std::uint64_t kFloppyDataArea = 2847 * 512;
  return diskSize == kFloppy ? kFloppyDataArea : diskSize;
}

std::uint64_t ParseDiskSize(const std::string& text) {
  std::size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  std::string unit = text.substr(digits);
  std::uint64_t factor = 0;
  if (unit.empty()) factor = 1;
  if (unit == "k" || unit == "K") factor = 1024;
  if (unit == "m" || unit == "M") factor = 1024 * 1024;
  if (digits == 0 || digits > 12 || factor == 0) {
    throw Error("disk size '" + text + "' is not a number of bytes, k or m (e.g. 1440k)");
  }
  std::uint64_t size = std::stoull(text.substr(0, digits)) * factor;
  if (size < 512) throw Error("disk size '" + text + "' is smaller than one sector");
  return size;
}

std::vector<std::vector<std::size_t>> SpreadOverDisks(const std::vector<MediumItem>& items,
                                                      std::uint64_t diskSize) {
  const std::uint64_t room = RoomOnDisk(diskSize);
  std::vector<std::vector<std::size_t>> disks(1);
  std::uint64_t used = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::uint64_t needed = RoomOf(items[i].size);
    if (needed > room) {
      throw Error(items[i].name + " is " + std::to_string(items[i].size) +
                  " bytes and does not fit on one disk (" + std::to_string(room) +
                  " bytes for files); use larger disks or split the product folder");
    }
    if (used + needed > room) {
      disks.emplace_back();
      used = 0;
    }
    disks.back().push_back(i);
    used += needed;
  }
  return disks;
}

}  // namespace medium
