#include "install/Preflight.h"

#include <map>
#include <set>
#include <vector>

#include "cad/SupportFolder.h"
#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "extract/PackageSize.h"
#include "extract/PackageTable.h"
#include "extract/UnzipBinding.h"
#include "install/AutoCadWiring.h"
#include "install/ForAllUsers.h"
#include "install/Journal.h"
#include "install/PathOps.h"
#include "toolkit/FileSystem.h"

namespace install {
namespace {

using config::FormatMessage;

// A package of the installer's folder and the destination folder it is extracted into; none for
// the AutoCAD files of a release before 2004, which go only to AutoCAD's folders (from 2004 the
// destination keeps a copy of them besides).
struct PackagePlace {
  std::string package;
  std::optional<std::string> folder;
};

std::vector<PackagePlace> PackagePlaces(const std::string& destination, bool release14) {
  const std::string& source = config::Vars.SourceDir;
  const std::optional<std::string> kept =
      release14 ? std::nullopt
                : std::optional<std::string>(JoinPath(destination, kUserFilesFolder));
  std::vector<PackagePlace> places{{source + extract::kCadPackage, kept},
                                   {source + extract::kConfigPackage, destination + "\\cfg"},
                                   {source + extract::kHelpPackage, destination + "\\help"}};
  for (const extract::PackageRow& row : extract::PackageTable) {
    places.push_back({source + row.package, StripTrailingBackslash(destination + row.target)});
  }
  return places;
}

// What the packages add to the destination's volume. A member whose file is not there adds its
// size. One whose file is there already (a re-install, a repair from the medium) replaces it,
// so it adds only by how much it is larger, and nothing when it is not: counting it whole
// refused a re-install over a complete installation on a volume with room for the installation
// but not for two. While a file is replaced, though, the new one is written beside the old
// before it takes the old one's name, by each of the unzip library's writers at once: room for
// the two largest replaced files is kept besides.
class RoomCount {
 public:
  // False when the package cannot be read.
  bool Add(const PackagePlace& place) {
    const bool anyThere = place.folder && toolkit::Fs().DirExists(*place.folder);
    const std::optional<std::uint64_t> size = extract::PackageContentSize(
        place.package, [&](std::string_view name, std::uint32_t, std::uint64_t member) {
          if (anyThere) AddMember(*place.folder, name, member);
        });
    if (!size) return false;
    if (!anyThere) needed_ += *size;
    return true;
  }

  std::uint64_t Needed() const { return needed_ + largest_[0] + largest_[1]; }

 private:
  void AddMember(const std::string& folder, std::string_view name, std::uint64_t size) {
    std::string path(name);
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    if (path.empty() || path.back() == '\\') return;
    const std::size_t slash = path.find_last_of('\\');
    const std::string where =
        slash == std::string::npos ? folder : folder + "\\" + path.substr(0, slash);
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::optional<std::uint64_t> present = SizeOf(where, leaf);
    if (!present) {
      needed_ += size;
      return;
    }
    if (size > *present) needed_ += size - *present;
    if (size > largest_[1]) largest_[1] = size;
    if (largest_[1] > largest_[0]) std::swap(largest_[0], largest_[1]);
  }

  // The size of the file `leaf` in `folder`, when it is there: each folder is listed once, and
  // only a file the listing holds is opened.
  std::optional<std::uint64_t> SizeOf(const std::string& folder, const std::string& leaf) {
    auto listed = listings_.find(folder);
    if (listed == listings_.end()) {
      std::set<std::string> names;
      for (const std::string& file : toolkit::Fs().FileNames(folder)) {
        names.insert(toolkit::fs::FoldCase(file));
      }
      listed = listings_.emplace(folder, std::move(names)).first;
    }
    if (!listed->second.contains(toolkit::fs::FoldCase(leaf))) return std::nullopt;
    toolkit::fs::File file;
    std::uint64_t size = 0;
    if (file.TryOpen(folder + "\\" + leaf, toolkit::OpenMode::kRead).Failed() ||
        file.TrySize(size).Failed()) {
      return std::nullopt;
    }
    return size;
  }

  std::uint64_t needed_ = 0;
  std::uint64_t largest_[2] = {0, 0};
  std::map<std::string, std::set<std::string>> listings_;
};

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
  RoomCount room;
  for (const PackagePlace& place : PackagePlaces(destination, frontEnd.Release14())) {
    if (!toolkit::Fs().FileExists(place.package)) continue;
    if (!room.Add(place)) return FormatMessage(v.MsgPackageUnreadable, {place.package});
  }
  const std::uint64_t needed = room.Needed();
  std::uint64_t free = 0;
  if (toolkit::Fs().FreeSpace(NearestExistingFolder(destination), free) == 0 && free < needed) {
    return FormatMessage(
        v.MsgNoRoom, {destination, extract::MegabytesNeeded(needed), extract::MegabytesFree(free)});
  }
  return std::nullopt;
}

}  // namespace install
