#include "install/SharedProduct.h"

#include <optional>
#include <vector>

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "extract/Extraction.h"
#include "extract/PackageSize.h"
#include "extract/PackageTable.h"
#include "install/Sequence.h"
#include "install/PathOps.h"
#include "toolkit/Crc32.h"
#include "toolkit/FileSystem.h"

namespace install {
namespace {

namespace fs = toolkit::fs;

// The packages that go into the destination, each with the folder below it that takes it.
std::vector<std::pair<std::string, std::string>> DestinationPackages() {
  std::vector<std::pair<std::string, std::string>> packages = {
      {extract::kConfigPackage, "\\cfg\\"}, {extract::kHelpPackage, "\\help\\"}};
  for (const extract::PackageRow& row : extract::PackageTable) {
    packages.emplace_back(row.package, row.target);
  }
  return packages;
}

}  // namespace

bool IsAnotherUsersProduct(const std::string& destination) {
  const std::string folder = StripTrailingBackslash(destination);
  if (toolkit::Fs().KindOf(folder) != toolkit::PathKind::kFolder) return false;
  // A file this run makes and takes away at once: the folder's list decides whether it may.
  const std::string probe = fs::FreeName(JoinPath(folder, "tolvek.probe"));
  fs::File file;
  const fs::IoStatus made = file.TryOpen(probe, toolkit::OpenMode::kCreateNew);
  if (made.Done()) {
    fs::IgnoreFailure(file.TryClose());
    fs::IgnoreFailure(fs::TryErase(probe));
  }
  return made.IsAccessDenied();
}

void CheckProductFiles(config::FrontEnd& frontEnd, const std::string& destination) {
  const config::ConfigurationBlock& v = config::Vars;
  for (const auto& [package, target] : DestinationPackages()) {
    const std::string path = v.SourceDir + package;
    extract::WaitForPackage(frontEnd, path);
    std::optional<std::string> differs;
    const auto check = [&](std::string_view name, std::uint32_t crc, std::uint64_t size) {
      if (differs || name.empty() || name.back() == '/') return;
      std::string file = StripTrailingBackslash(destination) + target;
      for (const char c : name) file += c == '/' ? '\\' : c;
      toolkit::FileSum found;
      if (!toolkit::SumFile(file, found.size, found.crc) ||
          found != toolkit::FileSum{size, crc}) {
        differs = file;
      }
    };
    if (!extract::PackageContentSize(path, check)) {
      throw EInstallationRefused(config::FormatMessage(v.MsgPackageUnreadable, {path}));
    }
    if (differs) {
      throw EInstallationRefused(
          config::FormatMessage(v.MsgSharedProductChanged, {destination, *differs}));
    }
  }
  frontEnd.Note(config::FormatMessage(v.MsgSharedProduct, {destination}));
}

}  // namespace install
