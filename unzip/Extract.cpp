#include "unzip/Extract.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

#include "unzip/ArchiveWindow.h"
#include "unzip/Directory.h"
#include "unzip/FileSpec.h"
#include "unzip/MemberDecoder.h"
#include "unzip/MemberName.h"
#include "unzip/Reporter.h"

namespace unzip {
namespace {

// The directory is read in small pieces and member data in large ones; two windows keep the
// walk through the directory from throwing away the data buffer for every member.
constexpr std::size_t kDirectoryWindow = 64 * 1024;
constexpr std::size_t kDataWindow = 256 * 1024;

// Temporary names are tried in turn until one is free, so neither a member of the same name
// nor a file left by an interrupted installation is ever overwritten by a temporary file.
constexpr int kTempNameTries = 100;

enum class Outcome { kDone, kFailed, kStopped };

class ArchiveGuard {
 public:
  explicit ArchiveGuard(Storage& storage) : storage_(storage) {}
  ~ArchiveGuard() { storage_.CloseArchive(); }
  ArchiveGuard(const ArchiveGuard&) = delete;
  ArchiveGuard& operator=(const ArchiveGuard&) = delete;

 private:
  Storage& storage_;
};

class FileSink final : public OutputSink {
 public:
  FileSink(Storage& storage, Reporter& reporter) : storage_(storage), reporter_(reporter) {}

  bool Write(const std::uint8_t* data, std::size_t size) override {
    if (storage_.WriteOutput(data, size) != kOk) return false;
    written_ += size;
    if (!reporter_.Written(written_)) {
      stopped_ = true;
      return false;
    }
    return true;
  }
  bool Stopped() const { return stopped_; }

 private:
  Storage& storage_;
  Reporter& reporter_;
  std::uint64_t written_ = 0;
  bool stopped_ = false;
};

class Extractor {
 public:
  Extractor(const UnzipParams& params, Storage& storage)
      : params_(params), storage_(storage), reporter_(params) {}

  std::int32_t Run();

 private:
  bool Wanted(const Member& member) const;
  Outcome ExtractMember(ArchiveWindow& data, const Member& member);
  Outcome ExtractFile(ArchiveWindow& data, const Member& member, const std::string& path);
  // Writes the member into the output just created as `path`; a member that fails is removed.
  Outcome WriteOutput(ArchiveWindow& data, const Member& member, std::uint64_t dataOffset,
                      const std::string& path);
  bool MakeFolders(std::string_view path);

  const UnzipParams& params_;
  Storage& storage_;
  Reporter reporter_;
  MemberDecoder decoder_;
  std::string lastFolder_;  // made (or found) by the previous member: most members share it
  // Where the previous file member's header and data lay. Members of a sound archive never
  // share bytes; a "zip bomb" makes many entries point into the same compressed data.
  std::uint64_t previousStart_ = 0;
  std::uint64_t previousEnd_ = 0;
};

std::int32_t Extractor::Run() {
  if (storage_.OpenArchive(params_.ArchiveName) != kOk) return kUnzipBadArchive;
  ArchiveGuard guard(storage_);
  std::uint64_t size = 0;
  if (storage_.ArchiveSize(size) != kOk) return kUnzipBadArchive;

  ArchiveWindow directoryWindow(storage_, size, kDirectoryWindow);
  ArchiveWindow dataWindow(storage_, size, kDataWindow);
  DirectoryLayout layout;
  if (!LocateDirectory(directoryWindow, layout)) return kUnzipBadArchive;

  DirectoryWalker walker(directoryWindow, layout);
  std::int32_t failed = 0;
  Member member;
  for (;;) {
    const auto step = walker.Next(member);
    if (step == DirectoryWalker::Step::kEnd) break;
    if (step == DirectoryWalker::Step::kBroken) {
      // The members announced but unreadable cannot be named, so they count as one failure.
      ++failed;
      break;
    }
    if (!Wanted(member)) continue;
    const Outcome outcome = ExtractMember(dataWindow, member);
    if (outcome == Outcome::kStopped) return kUnzipStopped;
    if (outcome == Outcome::kFailed && failed < std::numeric_limits<std::int32_t>::max()) {
      ++failed;
    }
  }
  return failed;
}

bool Extractor::Wanted(const Member& member) const {
  if (params_.FileSpecCount == 0) return true;
  const std::int32_t count = std::min<std::int32_t>(params_.FileSpecCount, UNZIP_MAX_FILESPECS);
  for (std::int32_t i = 0; i < count; ++i) {
    const char* spec = params_.FileSpecs[i];
    if (spec && MatchesFileSpec(spec, member.name)) return true;
  }
  return false;
}

bool Extractor::MakeFolders(std::string_view path) {
  // Folders already made for an earlier member (the usual case) cost nothing.
  if (lastFolder_.starts_with(path) &&
      (lastFolder_.size() == path.size() || lastFolder_[path.size()] == '/')) {
    return true;
  }
  for (std::size_t slash = path.find('/');; slash = path.find('/', slash + 1)) {
    const std::string prefix(path.substr(0, slash));
    if (storage_.CreateFolder(prefix) != kOk) return false;
    if (slash == std::string_view::npos) break;
  }
  lastFolder_.assign(path);
  return true;
}

Outcome Extractor::ExtractMember(ArchiveWindow& data, const Member& member) {
  SafePath safe;
  if (!MakeSafePath(member.name, safe)) return Outcome::kFailed;
  if (safe.folder || member.IsFolder()) {
    return MakeFolders(safe.path) ? Outcome::kDone : Outcome::kFailed;
  }
  return ExtractFile(data, member, safe.path);
}

Outcome Extractor::ExtractFile(ArchiveWindow& data, const Member& member, const std::string& path) {
  const bool supported = member.method == kMethodStored || member.method == kMethodDeflated;
  std::uint64_t dataOffset = 0;
  if (member.damaged || member.Encrypted() || !supported || !LocateData(data, member, dataOffset)) {
    return Outcome::kFailed;
  }
  const bool overlaps = member.localOffset >= previousStart_ && member.localOffset < previousEnd_;
  previousStart_ = member.localOffset;
  previousEnd_ = dataOffset + member.compressedSize;
  if (overlaps) return Outcome::kFailed;
  if (!reporter_.FileStarts(member.name, member.size)) return Outcome::kStopped;

  const std::size_t slash = path.rfind('/');
  const std::string_view folder =
      slash == std::string::npos ? std::string_view() : std::string_view(path).substr(0, slash);
  if (!folder.empty() && !MakeFolders(folder)) return Outcome::kFailed;

  // A member whose name is free is written under that name at once: if it fails, removing it
  // loses nothing of the user's, and each file operation saved is a round trip to the Wine
  // server. Only a file already there (a re-install) goes through a temporary file, so that a
  // failed member never costs the file a previous installation left.
  if (storage_.CreateOutput(path) == kOk) return WriteOutput(data, member, dataOffset, path);

  std::string temp;
  Status created = kErrFileExists;
  for (int i = 0; i < kTempNameTries && created == kErrFileExists; ++i) {
    temp.assign(folder);
    if (!temp.empty()) temp += '/';
    temp += "~unzip";
    // Two digits at most; std::to_string would drag printf into the DLL.
    if (i >= 10) temp += char('0' + i / 10);
    temp += char('0' + i % 10);
    temp += ".tmp";
    created = storage_.CreateOutput(temp);
  }
  if (created != kOk) return Outcome::kFailed;
  const Outcome written = WriteOutput(data, member, dataOffset, temp);
  if (written != Outcome::kDone) return written;
  if (storage_.RenameOver(temp, path) != kOk) {
    storage_.RemoveFile(temp);
    return Outcome::kFailed;
  }
  return Outcome::kDone;
}

Outcome Extractor::WriteOutput(ArchiveWindow& data, const Member& member, std::uint64_t dataOffset,
                               const std::string& path) {
  FileSink sink(storage_, reporter_);
  const DecodeResult result = decoder_.Decode(data, member, dataOffset, sink);
  if (result != DecodeResult::kDone) {
    storage_.CloseOutput();
    storage_.RemoveFile(path);
    return sink.Stopped() ? Outcome::kStopped : Outcome::kFailed;
  }
  // A date the file system cannot hold is no reason to lose the file.
  storage_.SetOutputTime(member.stamp);
  if (storage_.CloseOutput() != kOk) {
    storage_.RemoveFile(path);
    return Outcome::kFailed;
  }
  return Outcome::kDone;
}

}  // namespace

std::int32_t Extract(const UnzipParams& params, Storage& storage) {
  std::int32_t result = kUnzipBadParams;
  if (params.ArchiveName && params.FileSpecCount >= 0) {
    Extractor extractor(params, storage);
    result = extractor.Run();
  }
  // The end is reported whatever happened, so the caller's progress display always resets.
  Reporter(params).End();
  return result;
}

}  // namespace unzip
