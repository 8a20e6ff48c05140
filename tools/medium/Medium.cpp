#include "tools/medium/Medium.h"

#include <fstream>
#include <iterator>

#include "tools/medium/Packages.h"
#include "tools/medium/Sha256.h"

namespace medium {
namespace {

namespace fs = std::filesystem;

constexpr const char* kInstallerFiles[] = {"INSTALL.EXE", "INSTALL.DLL"};

std::uint64_t InstallerFileSize(const fs::path& folder, const char* name) {
  const fs::path path = folder / name;
  std::error_code error;
  const std::uint64_t size = fs::file_size(path, error);
  if (error) {
    throw Error("the installer file " + path.string() +
                " is missing; build the win32 preset or pass --installer-dir");
  }
  return size;
}

}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteWholeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw Error("cannot write " + path.string());
}

std::vector<Package> PackProduct(const fs::path& productDir, DosStamp stamp) {
  std::vector<Package> packages;
  for (const PackagePlan& plan : PlanPackages(productDir)) {
    std::vector<std::vector<std::uint8_t>> contents;
    contents.reserve(plan.files.size());
    std::vector<ArchiveMember> members;
    for (const PackedFile& file : plan.files) {
      contents.push_back(ReadWholeFile(file.source));
      members.push_back({file.name, contents.back()});
    }
    packages.push_back({plan.source.package, PackArchive(members, stamp), plan.files.size()});
  }
  return packages;
}

MediumSummary BuildMedium(const MediumOptions& options) {
  if (fs::exists(options.outDir) && !fs::is_empty(options.outDir)) {
    throw Error("the output folder " + options.outDir.string() +
                " is not empty; remove it or pick another");
  }
  MediumSummary summary;
  summary.exeSize = InstallerFileSize(options.installerDir, kInstallerFiles[0]);
  summary.dllSize = InstallerFileSize(options.installerDir, kInstallerFiles[1]);
  if (summary.exeSize + summary.dllSize > kInstallerLimit) {
    throw Error("INSTALL.EXE (" + std::to_string(summary.exeSize) + " bytes) and INSTALL.DLL (" +
                std::to_string(summary.dllSize) + " bytes) are " +
                std::to_string(summary.exeSize + summary.dllSize) + " bytes together, more than " +
                std::to_string(kInstallerLimit));
  }

  // The installer goes first: it is what the user starts from the first disk.
  std::vector<MediumItem> items = {{kInstallerFiles[0], summary.exeSize},
                                   {kInstallerFiles[1], summary.dllSize}};
  std::vector<Package> packages = PackProduct(options.productDir, options.stamp);
  for (const Package& package : packages) {
    items.push_back({package.name, package.bytes.size()});
    summary.productFiles += package.fileCount;
  }

  std::vector<std::vector<std::size_t>> disks;
  if (options.diskSize) {
    disks = SpreadOverDisks(items, *options.diskSize);
  } else {
    disks.emplace_back();
    for (std::size_t i = 0; i < items.size(); ++i) disks.back().push_back(i);
  }

  fs::create_directories(options.outDir);
  std::string checksums;
  for (std::size_t d = 0; d < disks.size(); ++d) {
    fs::path folder = options.outDir;
    std::string prefix;  // the folder's name in the list of checksums
    if (options.diskSize) {
      folder /= "disk" + std::to_string(d + 1);
      prefix = folder.filename().string() + "/";
    }
    fs::create_directories(folder);
    summary.folders.push_back(folder);
    summary.disks.emplace_back();
    for (std::size_t i : disks[d]) {
      summary.disks.back().push_back(items[i]);
      const fs::path written = folder / items[i].name;
      if (i < std::size(kInstallerFiles)) {
        fs::copy_file(options.installerDir / items[i].name, written);
      } else {
        WriteWholeFile(written, packages[i - std::size(kInstallerFiles)].bytes);
      }
      // Summed as it lies in the output folder: what a copy of the medium is checked against.
      checksums += Sha256Hex(ReadWholeFile(written)) + "  " + prefix + items[i].name + "\n";
    }
  }
  summary.checksums = options.outDir / kChecksumFile;
  WriteWholeFile(summary.checksums, {checksums.begin(), checksums.end()});
  return summary;
}

}  // namespace medium
