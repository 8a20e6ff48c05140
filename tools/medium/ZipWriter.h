// PackArchive writes the product's packages: plain ZIP archives that INSTALL.DLL, Info-ZIP and
// Windows can all read. Members are deflated with zlib, or stored when deflate would not make
// them smaller; every member carries the same DOS time stamp, so that packing the same files
// twice gives the same bytes and a rebuilt medium can be compared with the one that shipped.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/medium/Error.h"

namespace medium {

// A moment as a ZIP member stores it: DOS date and time, local time, two-second steps.
struct DosStamp {
  std::uint16_t date = 0;
  std::uint16_t time = 0;
};

DosStamp MakeDosStamp(int year, int month, int day, int hour, int minute, int second);

// The stamp a medium's files carry unless the publisher picks another: the product's release.
inline constexpr DosStamp kReleaseStamp{((2006 - 1980) << 9) | (1 << 5) | 1, 12 << 11};

struct ArchiveMember {
  std::string name;  // relative, '/' between folders, as the installer's extractor creates it
  std::span<const std::uint8_t> data;
};

// The whole archive in memory. Refuses what the classic ZIP format cannot hold (more than
// 65535 members, a member or an archive of 4 GiB) instead of writing ZIP64 records.
std::vector<std::uint8_t> PackArchive(const std::vector<ArchiveMember>& members, DosStamp stamp);

}  // namespace medium
