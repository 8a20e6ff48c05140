// BuildMedium makes an installation medium out of a product folder: the eighteen packages and
// the installer itself (INSTALL.EXE with its unzip library INSTALL.DLL), either all in one folder
// or spread over numbered disk folders disk1, disk2, ... whose contents the user later copies
// onto, or inserts as, disks of that size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/medium/Disks.h"
#include "tools/medium/ZipWriter.h"

namespace medium {

// INSTALL.EXE and INSTALL.DLL together must leave the first floppy room for the packages the
// installer needs first.
inline constexpr std::uint64_t kInstallerLimit = 512 * 1024;

// The list of every file of the medium with its SHA-256, in the output folder, as sha256sum
// writes it: "<64 hex digits>  <name>" a line, names relative to the output folder with '/'
// ("disk1/INSTALL.EXE" on a disk medium, where the list stands beside the disk folders and takes
// no disk's room). The installer reads only the files its package table names, so the list is no
// part of what it installs.
inline constexpr const char* kChecksumFile = "SHA256SUMS";

struct Package {
  std::string name;
  std::vector<std::uint8_t> bytes;
  std::size_t fileCount = 0;
};

// Every package of the product folder, packed, in the installer's order.
std::vector<Package> PackProduct(const std::filesystem::path& productDir, DosStamp stamp);

struct MediumOptions {
  std::filesystem::path productDir;
  std::filesystem::path outDir;  // must be empty or missing: an old disk folder would mislead
  std::filesystem::path installerDir;
  std::optional<std::uint64_t> diskSize;  // none: one folder
  DosStamp stamp = kReleaseStamp;
};

struct MediumSummary {
  std::uint64_t exeSize = 0;
  std::uint64_t dllSize = 0;
  std::size_t productFiles = 0;
  std::vector<std::filesystem::path> folders;  // one per disk, or the one folder
  std::vector<std::vector<MediumItem>> disks;  // what each folder holds, in order
  std::filesystem::path checksums;             // the SHA256SUMS written
};

MediumSummary BuildMedium(const MediumOptions& options);

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace medium
