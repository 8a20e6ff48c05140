// Spreads the medium's files over numbered disks. The installer looks for each package in its
// own folder and, when it is missing, asks for the next disk by number and waits until the
// package is there; it never goes back. So the disks hold the files in exactly the order the
// installer needs them, each disk filled before the next is started: a package put on a later
// disk than necessary would leave a disk the installer never asks for, and the prompt for it
// would never end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace medium {

struct MediumItem {
  std::string name;
  std::uint64_t size = 0;
};

// The room a file takes on a disk: whole 512-byte sectors, as on a FAT floppy.
std::uint64_t RoomOf(std::uint64_t size);

// The room for files on a disk of the given size. A 1440k floppy formatted with FAT12 keeps
// 1457664 of its 1474560 bytes for files; every other size is taken as the room itself.
std::uint64_t RoomOnDisk(std::uint64_t diskSize);

// "1440k", "1474560", "100m" (k and m are 1024 and 1024*1024).
std::uint64_t ParseDiskSize(const std::string& text);

// Indices into `items` per disk, in order. Refuses an item that does not fit on one disk.
std::vector<std::vector<std::size_t>> SpreadOverDisks(const std::vector<MediumItem>& items,
                                                      std::uint64_t diskSize);

}  // namespace medium
