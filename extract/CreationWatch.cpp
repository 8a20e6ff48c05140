#include "extract/CreationWatch.h"

#include <algorithm>
#include <string_view>

#include "extract/PackageSize.h"
#include "toolkit/FileSystem.h"

namespace extract {
namespace {

namespace fs = toolkit::fs;

// The names Windows takes for devices, whatever the extension or blanks after them: the library
// refuses to write a member under one.
bool IsDeviceName(std::string_view part) {
  std::string base = fs::FoldCase(std::string(part.substr(0, part.find('.'))));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"}) {
    if (base == device) return true;
  }
  return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) &&
         base[3] >= '0' && base[3] <= '9';
}

// A name the library writes exactly as it reads here: relative, printable ASCII (the same in
// every code page and in UTF-8), every part a name the system keeps as it is. Anything else is
// left to be told as the library starts it.
bool IsPlainName(std::string_view name) {
  if (name.empty() || name.front() == '\\') return false;
  std::size_t start = 0;
  while (start < name.size()) {
    const std::size_t end = std::min(name.find('\\', start), name.size());
    const std::string_view part = name.substr(start, end - start);
    // A folder entry ends with its separator: its last part is empty.
    if (part.empty() && end == name.size()) break;
    if (part.empty() || part == "." || part == ".." || part.back() == '.' || part.back() == ' ' ||
        IsDeviceName(part)) {
      return false;
    }
    for (const char c : part) {
      if (c < 0x20 || c > 0x7E || std::string_view(":*?\"<>|").find(c) != std::string_view::npos) {
        return false;
      }
    }
    start = end + 1;
  }
  return true;
}

std::string WithBackslashes(std::string_view name) {
  std::string result(name);
  std::replace(result.begin(), result.end(), '/', '\\');
  return result;
}

}  // namespace

CreationWatch::CreationWatch(toolkit::ChangeRecorder& journal, std::string targetFolder)
    : journal_(journal), target_(std::move(targetFolder)) {}

void CreationWatch::Announce(const std::string& packagePath) {
  const auto announce = [&](std::string_view member, std::uint32_t crc, std::uint64_t size) {
    std::string name = WithBackslashes(member);
    if (!IsPlainName(name)) return;
    if (name.back() == '\\') {
      NoteFolders(name);
    } else if (const std::optional<std::string> path = NoteFile(name, size)) {
      journal_.FileChecksum(*path, crc);
    }
    announced_.push_back(std::move(name));
  };
  // One write for the package: all of it is in the file before the library makes anything.
  journal_.HoldRecords();
  try {
    PackageContentSize(packagePath, announce);
  } catch (...) {
    journal_.WriteHeldRecords();
    throw;
  }
  std::sort(announced_.begin(), announced_.end());
  journal_.WriteHeldRecords();
}

void CreationWatch::FileStarts(std::string name, std::uint64_t size) {
  // The library names a member as its directory does: an announced one is found as it is.
  name = WithBackslashes(name);
  if (std::binary_search(announced_.begin(), announced_.end(), name)) return;
  if (std::optional<std::string> path = NoteFile(name, size)) {
    created_.emplace_back(fs::FoldCase(name), std::move(*path));
  }
}

void CreationWatch::PackageDone(const std::string& packagePath) {
  if (created_.empty()) return;
  std::vector<std::pair<std::string, std::uint32_t>> sums;
  PackageContentSize(packagePath, [&](std::string_view member, std::uint32_t crc, std::uint64_t) {
    sums.emplace_back(fs::FoldCase(WithBackslashes(member)), crc);
  });
  // The library writes the members in the directory's order: each search starts where the
  // last one ended, and goes round once for a member met out of order.
  std::size_t at = 0;
  for (const auto& [name, path] : created_) {
    for (std::size_t tried = 0; tried < sums.size(); ++tried, at = (at + 1) % sums.size()) {
      if (sums[at].first != name) continue;
      journal_.FileChecksum(path, sums[at].second);
      break;
    }
  }
}

void CreationWatch::NoteFolders(const std::string& name) {
  for (std::size_t slash = name.find('\\'); slash != std::string::npos;
       slash = name.find('\\', slash + 1)) {
    const std::string folder = fs::JoinPath(target_, name.substr(0, slash));
    const auto [known, added] = folders_.try_emplace(fs::FoldCase(folder));
    if (!added) continue;
    if (!toolkit::Fs().DirExists(folder)) {
      journal_.FolderCreated(folder);
      known->second.emplace();  // a folder the library is about to make holds nothing yet
    }
  }
}

std::optional<std::string> CreationWatch::NoteFile(const std::string& name, std::uint64_t size) {
  const std::size_t leafAt = name.find_last_of('\\') + 1;  // 0 for a name without a folder
  const std::string_view folderPart = std::string_view(name).substr(0, leafAt);
  // Members come folder by folder: the last member's folder is seen and listed already.
  if (lastFiles_ == nullptr || folderPart != lastFolderPart_) {
    NoteFolders(name);
    lastFiles_ =
        &FilesIn(leafAt == 0 ? target_ : fs::JoinPath(target_, name.substr(0, leafAt - 1)));
    lastFolderPart_.assign(folderPart);
  }
  std::string path = fs::JoinPath(target_, name);
  if (!IsNew(*lastFiles_, path, name.substr(leafAt))) return std::nullopt;
  journal_.FileCreated(path, size);
  return path;
}

CreationWatch::FileNames& CreationWatch::FilesIn(const std::string& folder) {
  std::optional<FileNames>& files = folders_[fs::FoldCase(folder)];
  if (!files) {
    files.emplace();
    for (const std::string& present : toolkit::Fs().FileNames(folder)) {
      files->insert(fs::FoldCase(present));
    }
  }
  return *files;
}

// Whether the file is not there yet, and from now on counted as there: a name the package holds
// twice is one file. The listing folds a-z as the system compares plain names; any other name (a
// letter beyond ASCII, a closing dot or blank the system drops) is asked of the system itself.
bool CreationWatch::IsNew(FileNames& files, const std::string& path, const std::string& leaf) {
  const bool listed = !files.insert(fs::FoldCase(leaf)).second;
  return IsPlainName(leaf) ? !listed : !listed && !toolkit::Fs().FileExists(path);
}

}  // namespace extract
