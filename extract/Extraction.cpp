#include "extract/Extraction.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "extract/PackageSize.h"
#include "extract/PackageTable.h"
#include "extract/UnzipBinding.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"

namespace extract {
namespace {

ExtractionJournal* currentJournal = nullptr;

namespace fs = toolkit::fs;

// The record's text buffers: 256 bytes, zero-terminated, living for one call of the library.
using TextBuffer = std::array<char, 256>;

TextBuffer BufferFor(const std::string& text) {
  // Copying a longer text would run past the buffer; the library would read a different path.
  if (text.size() > 255) throw EExtractError("Path too long for the unzip library: " + text);
  TextBuffer buffer{};
  text.copy(buffer.data(), text.size());
  return buffer;
}

// The member the library lost first is named when the user can act on why: a damaged package is
// copied again, a refused name goes back to whoever made the medium. Else, and with a library
// that cannot tell, the count of files not written is all there is to say.
std::string IncompleteMessage(const std::string& packagePath, std::int32_t failed) {
  const config::ConfigurationBlock& v = config::Vars;
  const UnzipFailure failure = LastUnzipFailure();
  const std::string name(failure.FileName, strnlen(failure.FileName, sizeof failure.FileName));
  const std::string* text = &v.MsgPackageIncomplete;
  if (!name.empty() && failure.Reason == kUnzipFailureDamaged) text = &v.MsgPackageDamaged;
  if (!name.empty() && failure.Reason == kUnzipFailureName) text = &v.MsgFileNameRefused;
  return config::FormatMessage(
      *text, {packagePath, text == &v.MsgPackageIncomplete ? std::to_string(failed) : name});
}

// Asks for the next disk until the package is there; Cancel confirmed with Yes abandons.
void WaitForPackage(config::FrontEnd& frontEnd, const std::string& packagePath) {
  using config::Question;
  config::ConfigurationBlock& v = config::Vars;
  if (toolkit::Fs().FileExists(packagePath)) return;
  frontEnd.Note(v.LogPackageMissing + " " + packagePath);
  ++v.DiskNumber;
  do {
    frontEnd.ProcessMessages();
    if (!frontEnd.Ask(Question::kInsertDisk, v.MsgInsertDisk + std::to_string(v.DiskNumber)) &&
        frontEnd.Ask(Question::kConfirmAbandon, v.MsgConfirmAbandon)) {
      throw toolkit::EAbort();
    }
  } while (!toolkit::Fs().FileExists(packagePath));
}

// Tells the journal of the folders and the file a member will create, before the library
// writes it: afterwards nobody could tell a new file from one it replaced. Folders once seen are
// remembered for the rest of the package, and so are the files each holds: a folder is listed
// once, where asking for each member's name would have the system search the folder each time.
class CreationWatch {
 public:
  CreationWatch(ExtractionJournal& journal, std::string targetFolder)
      : journal_(journal), target_(std::move(targetFolder)) {}

  void FileStarts(std::string name, std::int32_t size) {
    std::replace(name.begin(), name.end(), '/', '\\');
    for (std::size_t slash = name.find('\\'); slash != std::string::npos;
         slash = name.find('\\', slash + 1)) {
      const std::string folder = toolkit::fs::JoinPath(target_, name.substr(0, slash));
      const auto [known, added] = folders_.try_emplace(toolkit::fs::FoldCase(folder));
      if (!added) continue;
      if (!toolkit::Fs().DirExists(folder)) {
        journal_.FolderCreated(folder);
        known->second.emplace();  // a folder the library is about to make holds nothing yet
      }
    }
    const std::size_t leafAt = name.find_last_of('\\') + 1;  // 0 for a name without a folder
    const std::string folder =
        leafAt == 0 ? target_ : toolkit::fs::JoinPath(target_, name.substr(0, leafAt - 1));
    const std::string path = toolkit::fs::JoinPath(target_, name);
    if (IsNew(folder, path, name.substr(leafAt))) {
      journal_.FileCreated(path, std::uint32_t(size));
      created_.emplace_back(toolkit::fs::FoldCase(name), path);
    }
  }

  // The package is extracted in full: each file it created gets the CRC the archive's directory
  // gives its member.
  void PackageDone(const std::string& packagePath) {
    if (created_.empty()) return;
    std::vector<std::pair<std::string, std::uint32_t>> sums;
    PackageContentSize(packagePath, [&](std::string_view member, std::uint32_t crc) {
      std::string name(member);
      std::replace(name.begin(), name.end(), '/', '\\');
      sums.emplace_back(toolkit::fs::FoldCase(name), crc);
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

 private:
  using FileNames = std::set<std::string>;  // folded

  // Whether the file is not there yet, and from now on counted as there: a name the package
  // holds twice is one file. The listing folds a-z as the system compares names; a name the
  // system might compare otherwise (a letter beyond ASCII, a closing dot or blank it drops)
  // is asked of the system itself.
  bool IsNew(const std::string& folder, const std::string& path, const std::string& leaf) {
    std::optional<FileNames>& files = folders_[toolkit::fs::FoldCase(folder)];
    if (!files) {
      files.emplace();
      for (const std::string& present : toolkit::Fs().FileNames(folder)) {
        files->insert(toolkit::fs::FoldCase(present));
      }
    }
    const bool plain = !leaf.empty() && leaf.back() != '.' && leaf.back() != ' ' &&
                       std::none_of(leaf.begin(), leaf.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    const bool listed = !files->insert(toolkit::fs::FoldCase(leaf)).second;
    return plain ? !listed : !listed && !toolkit::Fs().FileExists(path);
  }

  ExtractionJournal& journal_;
  std::string target_;
  // Each folder seen, by folded path, with the files it holds once it has been listed.
  std::map<std::string, std::optional<FileNames>> folders_;
  std::vector<std::pair<std::string, std::string>> created_;  // folded member name, path
};

// The callback's record of one library call, cleared however the call ends.
class WatchedCall {
 public:
  explicit WatchedCall(CreationWatch* watch) {
    CurrentCall() = {};
    if (watch != nullptr) {
      CurrentCall().onFileStarts = [watch](const std::string& name, std::int32_t size) {
        watch->FileStarts(name, size);
      };
    }
  }
  WatchedCall(const WatchedCall&) = delete;
  WatchedCall& operator=(const WatchedCall&) = delete;
  ~WatchedCall() { CurrentCall() = {}; }
};

}  // namespace

ScopedExtractionJournal::ScopedExtractionJournal(ExtractionJournal& journal)
    : previous_(std::exchange(currentJournal, &journal)) {}

ScopedExtractionJournal::~ScopedExtractionJournal() { currentJournal = previous_; }

std::string FolderOf(const std::string& path) {
  auto at = path.find_last_of("\\:");
  if (at == std::string::npos) return {};
  std::string folder = path.substr(0, at + 1);
  if (folder.size() > 1 && folder.back() == '\\' && folder[folder.size() - 2] != ':' &&
      folder[folder.size() - 2] != '\\') {
    folder.pop_back();
  }
  return folder;
}

void ExtractPackage(config::FrontEnd& frontEnd, const std::string& packagePath,
                    const std::string& targetFolder, const std::string& fileSpec) {
  WaitForPackage(frontEnd, packagePath);

  fs::ChDir(FolderOf(packagePath), fs::Check::kRecord);
  fs::IoResult();
  const std::string packageFolder = toolkit::Fs().CurrentDir();
  // The library writes into whatever folder is current: if the target cannot be entered, it
  // would scatter the package over the installation medium. That must stop the installation.
  fs::ChDir(targetFolder);

  const config::ConfigurationBlock& v = config::Vars;
  UnzDllExecFunction unzip = UnzDllExec();
  if (unzip == nullptr) throw EExtractError(v.MsgLibraryMissing);
  UnzipParams& record = UnzipRecord();
  InitUnzipParams(frontEnd, record);
  TextBuffer archive = BufferFor(packagePath);
  TextBuffer spec{};
  record.ArchiveName = archive.data();
  record.FileSpecCount = 0;
  if (!fileSpec.empty()) {
    spec = BufferFor(fileSpec);
    record.FileSpecs[0] = spec.data();
    record.FileSpecCount = 1;
  }
  std::optional<CreationWatch> watch;
  const std::string targetDir = toolkit::Fs().CurrentDir();
  if (currentJournal != nullptr) watch.emplace(*currentJournal, targetDir);
  std::int32_t failed = 0;
  int filesStarted = 0;
  {
    WatchedCall call(watch ? &*watch : nullptr);
    failed = unzip(&record);
    filesStarted = CurrentCall().filesStarted;
  }
  // The buffers end with this call; the record must not keep pointing at them.
  record.ArchiveName = nullptr;
  record.FileSpecs[0] = nullptr;
  // A stop asked for is answered by this call, whatever its outcome.
  config::Vars.CancelRequested = false;
  // A broken package is not a finished installation.
  if (failed < 0) throw EExtractError(config::FormatMessage(v.MsgPackageUnreadable, {packagePath}));
  if (failed > 0) {
    // A disk that filled up since the installation looked at it is named as such, with the room
    // the package needs.
    std::uint64_t free = 0;
    const std::optional<std::uint64_t> needed = PackageContentSize(packagePath);
    if (needed && toolkit::Fs().FreeSpace(targetDir, free) == 0 && free < *needed) {
      throw EExtractError(config::FormatMessage(
          v.MsgNoRoom, {targetDir, MegabytesNeeded(*needed), MegabytesFree(free)}));
    }
    throw EExtractError(IncompleteMessage(packagePath, failed));
  }
  // A product file the package does not hold would leave AutoCAD loading what is not there.
  if (!fileSpec.empty() && filesStarted == 0) {
    throw EExtractError(config::FormatMessage(v.MsgFileNotInPackage, {packagePath, fileSpec}));
  }
  if (watch) watch->PackageDone(packagePath);
  frontEnd.Note(v.LogExtracted + " " + packagePath + (fileSpec.empty() ? "" : " " + fileSpec) +
                " -> " + targetFolder + ", " + std::to_string(filesStarted) + " " + v.LogFiles);

  fs::ChDir(packageFolder, fs::Check::kRecord);
  fs::IoResult();
}

void ExtractAllPackages(config::FrontEnd& frontEnd, const std::string& destinationRoot) {
  for (const PackageRow& row : PackageTable) {
    ExtractPackage(frontEnd, config::Vars.SourceDir + row.package, destinationRoot + row.target,
                   "");
  }
}

}  // namespace extract
