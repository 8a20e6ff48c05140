// How many bytes a package's files take once extracted, read from the archive's own directory
// (its end record and central directory, ZIP64 included) without extracting anything, so that
// the installation can tell before it starts whether the destination has room for them and
// whether each package at hand can be read at all.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace extract {

// The sum of the members' uncompressed sizes; nothing when the file cannot be read or holds no
// readable archive directory.
// `each`, when given, is shown every member's name (as the archive spells it, in UTF-8), CRC-32
// and size.
using MemberVisit =
    std::function<void(std::string_view name, std::uint32_t crc, std::uint64_t size)>;
std::optional<std::uint64_t> PackageContentSize(const std::string& path,
                                                const MemberVisit& each = {});

// Sizes as the messages give them: what is needed rounded up, what is free rounded down, so that
// a message never shows as much room as it says is needed.
std::string MegabytesNeeded(std::uint64_t bytes);
std::string MegabytesFree(std::uint64_t bytes);

}  // namespace extract
