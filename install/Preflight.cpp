#include "install/Preflight.h"

#include <vector>

#include "cad/SupportFolder.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "extract/PackageSize.h"
#include "extract/PackageTable.h"
#include "extract/UnzipBinding.h"
#include "install/AutoCadWiring.h"
#include "install/Journal.h"
#include "install/PathOps.h"
#include "toolkit/FileSystem.h"

namespace install {
namespace {

using config::FormatMessage;

std::vector<std::string> PackagePaths() {
  const std::string& source = config::Vars.SourceDir;
  std::vector<std::string> paths{source + extract::kCadPackage, source + extract::kConfigPackage,
                                 source + extract::kHelpPackage};
  for (const extract::PackageRow& row : extract::PackageTable)
    paths.push_back(source + row.package);
  return paths;
}

// The destination, or a folder on its way, standing as a file.
std::optional<std::string> FileInTheWay(const std::string& destination) {
  for (std::size_t slash = destination.find('\\', 3);; slash = destination.find('\\', slash + 1)) {
    const std::string prefix = destination.substr(0, slash);
    if (toolkit::Fs().FileExists(prefix)) return prefix;
    if (slash == std::string::npos) return std::nullopt;
  }
}

// The folder whose drive the destination lies on: its root ("c:\") when it has a drive letter.
std::string DriveOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\";
  return path;
}

// The folder the room is asked of: the destination, or the nearest folder on its way that
// exists. Its drive's root may lie on another volume than the destination: a volume mounted in a
// folder, or under Wine a folder linked to another disk.
std::string NearestExistingFolder(const std::string& destination) {
  std::string folder = destination;
  while (!toolkit::Fs().DirExists(folder)) {
    const std::size_t slash = folder.find_last_of('\\');
    if (slash == std::string::npos || slash < 3) return DriveOf(destination);
    folder.erase(slash);
  }
  return folder;
}

}  // namespace

std::optional<std::string> FindWhatIsMissing(config::FrontEnd& frontEnd) {
  const config::ConfigurationBlock& v = config::Vars;
  if (extract::UnzDllExec() == nullptr) return v.MsgLibraryMissing;

  // The record of earlier installations is the only way back from them: one that cannot be read
  // in full is never written over, nor added to.
  const std::string journalPath = JoinPath(frontEnd.Destination(), kJournalName);
  if (const std::optional<std::string> wrong = WhatIsWrongWith(ReadJournal(journalPath))) {
    return FormatMessage(v.MsgJournalBlocksInstall, {journalPath, *wrong});
  }

  // An installation for every user needs no profile of the one who runs it.
  if (!frontEnd.Release14() && !frontEnd.ForAllUsers()) {
    const std::optional<std::string> support = FindMainSupportFolder(frontEnd.CadFolder());
    if (!support) return v.MsgNoAcadProfile;
    if (!toolkit::Fs().DirExists(*support)) {
      return FormatMessage(v.MsgSupportFolderMissing, {*support});
    }
  }

  const std::string destination = frontEnd.Destination();
  if (const auto file = FileInTheWay(destination)) {
    return FormatMessage(v.MsgDestinationIsFile, {*file});
  }

  // Packages on later disks are looked at when their disk comes.
  std::uint64_t needed = 0;
  for (const std::string& package : PackagePaths()) {
    if (!toolkit::Fs().FileExists(package)) continue;
    const std::optional<std::uint64_t> size = extract::PackageContentSize(package);
    if (!size) return FormatMessage(v.MsgPackageUnreadable, {package});
    needed += *size;
  }
  std::uint64_t free = 0;
  if (toolkit::Fs().FreeSpace(NearestExistingFolder(destination), free) == 0 && free < needed) {
    return FormatMessage(
        v.MsgNoRoom, {destination, extract::MegabytesNeeded(needed), extract::MegabytesFree(free)});
  }
  return std::nullopt;
}

}  // namespace install
