#include "unzip/Extract.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "unzip/ArchiveWindow.h"
#include "unzip/Directory.h"
#include "unzip/Failure.h"
#include "unzip/FileSpec.h"
#include "unzip/MemberDecoder.h"
#include "unzip/MemberName.h"
#include "unzip/MemberOutput.h"
#include "unzip/Reporter.h"
#include "unzip/WriterPool.h"

namespace unzip {
namespace {

// The directory is read in small pieces and member data in large ones; two windows keep the
// walk through the directory from throwing away the data buffer for every member.
constexpr std::size_t kDirectoryWindow = 64 * 1024;
constexpr std::size_t kDataWindow = 256 * 1024;

// What became of a member; one that failed says why, in UnzDllLastFailure's numbering.
enum class Outcome : std::int32_t {
  kDone = kUnzipFailureNone,
  kDamaged = kUnzipFailureDamaged,
  kNotWritten = kUnzipFailureWrite,  // the system's code is in Extractor::writeError_
  kRefusedName = kUnzipFailureName,
  kUnreadable = kUnzipFailureUnreadable,
  kWriterFailed = -1,  // its writer thread failed on the file, and noted why
  kStopped = -2,
};

// The count saturates: an archive of more than 2^31 failing members still reports failures.
std::int32_t AddFailures(std::int32_t failed, std::int32_t more) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  return more > kMax - failed ? kMax : failed + more;
}

class ArchiveGuard {
 public:
  explicit ArchiveGuard(Storage& storage) : storage_(storage) {}
  ~ArchiveGuard() { storage_.CloseArchive(); }
  ArchiveGuard(const ArchiveGuard&) = delete;
  ArchiveGuard& operator=(const ArchiveGuard&) = delete;

 private:
  Storage& storage_;
};

// Hands each block on (`Take`: into the member's file on the calling thread, or to the writer
// threads), then reports it. Progress is counted as the content leaves the inflater, and every
// byte counted is on the disk before Extract returns.
template <typename Take>
class ReportingSink final : public OutputSink {
 public:
  ReportingSink(Take take, Reporter& reporter) : take_(take), reporter_(reporter) {}

  bool Write(const std::uint8_t* data, std::size_t size) override {
    if (!take_(data, size)) return false;
    written_ += size;
    if (!reporter_.Written(written_)) {
      stopped_ = true;
      return false;
    }
    return true;
  }
  bool Stopped() const { return stopped_; }

 private:
  Take take_;
  Reporter& reporter_;
  std::uint64_t written_ = 0;
  bool stopped_ = false;
};

class Extractor {
 public:
  Extractor(const UnzipParams& params, Storage& storage, const ExtractOptions& options)
      : params_(params), storage_(storage), options_(options), reporter_(params) {}

  std::int32_t Run();
  const FirstFailure& Failure() const { return failure_; }

 private:
  bool Wanted(const Member& member) const;
  Outcome ExtractMember(ArchiveWindow& data, const Member& member);
  Outcome ExtractFile(ArchiveWindow& data, const Member& member, const std::string& path);
  Outcome WriteHere(ArchiveWindow& data, const Member& member, std::uint64_t dataOffset,
                    const std::string& path);
  Outcome HandOver(WriterPool& pool, ArchiveWindow& data, const Member& member,
                   std::uint64_t dataOffset, const std::string& path);
  // The writer threads, started with the first file; null when files are written here.
  WriterPool* Pool();
  Status MakeFolders(std::string_view path);
  Outcome NotWritten(Status error) {
    writeError_ = error;
    return Outcome::kNotWritten;
  }

  const UnzipParams& params_;
  Storage& storage_;
  const ExtractOptions& options_;
  Reporter reporter_;
  std::unique_ptr<WriterPool> pool_;
  bool poolTried_ = false;
  bool firstFileWritten_ = false;
  MemberDecoder decoder_;
  // The current member's place in the archive; 2^32 members would need a 180 GB directory.
  std::uint32_t order_ = 0;
  Status writeError_ = kOk;
  FirstFailure failure_;
  std::string lastFolder_;  // made (or found) by the previous member: most members share it
  // Where the previous file member's header and data lay. Members of a sound archive never
  // share bytes; a "zip bomb" makes many entries point into the same compressed data.
  // The archive bytes each extracted member was read from, by where they start. A member whose
  // bytes overlap any other's is refused: members that share their data are how an archive of a
  // few kilobytes claims gigabytes, each member's output being bounded only by its own size.
  std::map<std::uint64_t, std::uint64_t> claimed_;

  // False when [start, end) overlaps bytes an earlier member was read from; else claims them.
  bool ClaimData(std::uint64_t start, std::uint64_t end) {
    auto next = claimed_.lower_bound(start);
    if (next != claimed_.end() && next->first < end) return false;
    if (next != claimed_.begin() && std::prev(next)->second > start) return false;
    claimed_.emplace_hint(next, start, end);
    return true;
  }
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
  for (;; ++order_) {
    const auto step = walker.Next(member);
    if (step == DirectoryWalker::Step::kEnd) break;
    if (step == DirectoryWalker::Step::kBroken) {
      // The members announced but unreadable cannot be named, so they count as one failure.
      failure_.Note(order_, kUnzipFailureUnreadable, "");
      failed = AddFailures(failed, 1);
      break;
    }
    if (!Wanted(member)) continue;
    const Outcome outcome = ExtractMember(dataWindow, member);
    if (outcome == Outcome::kStopped) {
      // The members before the stop were complete: they are written to the end.
      if (pool_) pool_->Drain(&failure_);
      return kUnzipStopped;
    }
    if (outcome == Outcome::kDone) continue;
    if (outcome != Outcome::kWriterFailed) {
      failure_.Note(order_, std::int32_t(outcome), member.name, writeError_);
    }
    failed = AddFailures(failed, 1);
  }
  if (pool_) failed = AddFailures(failed, pool_->Drain(&failure_));
  return failed;
}

WriterPool* Extractor::Pool() {
  if (!poolTried_) {
    poolTried_ = true;
    if (options_.writers > 0 && storage_.ConcurrentOutput()) {
      pool_ = std::make_unique<WriterPool>(storage_, options_.writers, options_.pendingBytes,
                                           options_.pendingMembers);
      // Without a thread to be had, the files are written here, as they always could be.
      if (!pool_->Started()) pool_.reset();
    }
  }
  return pool_.get();
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

Status Extractor::MakeFolders(std::string_view path) {
  // Folders already made for an earlier member (the usual case) cost nothing.
  if (lastFolder_.starts_with(path) &&
      (lastFolder_.size() == path.size() || lastFolder_[path.size()] == '/')) {
    return kOk;
  }
  for (std::size_t slash = path.find('/');; slash = path.find('/', slash + 1)) {
    const std::string prefix(path.substr(0, slash));
    if (const Status status = storage_.CreateFolder(prefix); status != kOk) return status;
    if (slash == std::string_view::npos) break;
  }
  lastFolder_.assign(path);
  return kOk;
}

Outcome Extractor::ExtractMember(ArchiveWindow& data, const Member& member) {
  SafePath safe;
  if (!MakeSafePath(member.name, safe)) return Outcome::kRefusedName;
  if (safe.folder || member.IsFolder()) {
    const Status status = MakeFolders(safe.path);
    return status == kOk ? Outcome::kDone : NotWritten(status);
  }
  return ExtractFile(data, member, safe.path);
}

Outcome Extractor::ExtractFile(ArchiveWindow& data, const Member& member, const std::string& path) {
  const bool supported = member.method == kMethodStored || member.method == kMethodDeflated;
  std::uint64_t dataOffset = 0;
  if (member.damaged || member.Encrypted() || !supported || !LocateData(data, member, dataOffset) ||
      !ClaimData(member.localOffset, dataOffset + member.compressedSize)) {
    return Outcome::kUnreadable;
  }
  if (!reporter_.FileStarts(member.name, member.size)) return Outcome::kStopped;

  const std::size_t slash = path.rfind('/');
  const std::string_view folder =
      slash == std::string::npos ? std::string_view() : std::string_view(path).substr(0, slash);
  if (!folder.empty()) {
    if (const Status status = MakeFolders(folder); status != kOk) {
      return NotWritten(status);
    }
  }

  // Writers pay for their threads from the second file on. The first is written here, so that a
  // call for one file (a product file picked by name, a package of one) starts no thread at all.
  if (std::exchange(firstFileWritten_, true)) {
    if (WriterPool* pool = Pool()) return HandOver(*pool, data, member, dataOffset, path);
  }
  return WriteHere(data, member, dataOffset, path);
}

Outcome Extractor::WriteHere(ArchiveWindow& data, const Member& member, std::uint64_t dataOffset,
                             const std::string& path) {
  MemberOutput output(storage_);
  Status status = output.Create(path);
  if (status != kOk) return NotWritten(status);
  ReportingSink sink(
      [&output, &status](const std::uint8_t* block, std::size_t size) {
        status = output.Write(block, size);
        return status == kOk;
      },
      reporter_);
  if (const DecodeResult result = decoder_.Decode(data, member, dataOffset, sink);
      result != DecodeResult::kDone) {
    output.Discard();
    if (sink.Stopped()) return Outcome::kStopped;
    return result == DecodeResult::kSinkStopped ? NotWritten(status) : Outcome::kDamaged;
  }
  status = output.Finish(member.stamp);
  return status == kOk ? Outcome::kDone : NotWritten(status);
}

Outcome Extractor::HandOver(WriterPool& pool, ArchiveWindow& data, const Member& member,
                            std::uint64_t dataOffset, const std::string& path) {
  pool.Begin(path, order_, member.stamp);
  ReportingSink sink(
      [&pool](const std::uint8_t* block, std::size_t size) { return pool.Append(block, size); },
      reporter_);
  // Only content that checked out whole is kept; a writer failing on a kept member is counted
  // when the pool drains.
  const DecodeResult result = decoder_.Decode(data, member, dataOffset, sink);
  pool.End(result == DecodeResult::kDone);
  if (result == DecodeResult::kDone) return Outcome::kDone;
  if (sink.Stopped()) return Outcome::kStopped;
  // The sink refuses content only once the member's writer failed.
  return result == DecodeResult::kSinkStopped ? Outcome::kWriterFailed : Outcome::kDamaged;
}

}  // namespace

std::int32_t Extract(const UnzipParams& params, Storage& storage, const ExtractOptions& options,
                     UnzipFailure* failure) {
  std::int32_t result = kUnzipBadParams;
  if (failure) *failure = {};
  if (params.ArchiveName && params.FileSpecCount >= 0) {
    // The writers are done with every file before the end is reported.
    Extractor extractor(params, storage, options);
    result = extractor.Run();
    if (failure) *failure = extractor.Failure().Record();
    // Only the archive as a whole is refused this way, before any member is reached.
    if (failure && result == kUnzipBadArchive) failure->Reason = kUnzipFailureUnreadable;
  }
  if (failure) failure->StructSize = sizeof *failure;
  // The end is reported whatever happened, so the caller's progress display always resets.
  Reporter(params).End();
  return result;
}

}  // namespace unzip
