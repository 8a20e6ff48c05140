#include "unzip/fuzz/ArchiveCheck.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "unzip/ArchiveWindow.h"
#include "unzip/Directory.h"
#include "unzip/Extract.h"
#include "unzip/FileSpec.h"
#include "unzip/MemberName.h"
#include "unzip/Storage.h"

namespace unzip::fuzz {
namespace {

constexpr const char* kFileSpec = "*.t?t";
// The "disk" holds 32 MiB, so that an archive bomb costs bounded time.
constexpr std::uint64_t kDisk = 32u << 20;
constexpr std::string_view kEarlierText = "left by an earlier installation";
constexpr std::string_view kStaleTemp = "~unzip0.tmp";

std::uint32_t Crc(std::string_view text) {
  return std::uint32_t(
      crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(text.data()), uInt(text.size())));
}

std::string_view ParentOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// A device Windows would open instead of a file; deliberately a subset of the extractor's own
// list, so that the two can only disagree where the extractor lets a device through.
bool Device(std::string_view part) {
  std::string stem(part.substr(0, part.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

// A path that stays below the extraction folder on Windows as on POSIX: relative, '/'-separated,
// no empty, "." or ".." part, no drive or stream, no backslash, no control character, no device.
bool InsideFolder(std::string_view path) {
  if (path.empty()) return false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == ".." || Device(part)) return false;
    for (unsigned char c : part) {
      if (c < 0x20 || c == ':' || c == '\\') return false;
    }
    if (end == path.size()) return true;
    start = end + 1;
  }
}

// The path a member's name must land on: its parts, whichever separator, without empty ones.
std::string Normalised(std::string_view name) {
  std::string path;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && name[end] != '/' && name[end] != '\\') ++end;
    if (end > start) {
      if (!path.empty()) path += '/';
      path.append(name.substr(start, end - start));
    }
    start = end + 1;
  }
  return path;
}

// What the archive's directory says, read on its own before the extraction.
struct Directory {
  bool located = false;
  bool broken = false;
  std::vector<Member> members;
};

struct File {
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  int owner = 0;  // the announced member that made it (1, 2, ...), 0 for a file there before
  bool open = false;
};

// The member announced last, and what happened to the storage while it was in hand.
struct MemberRun {
  int index = 0;
  std::string name;
  std::uint32_t announcedSize = 0;
  std::vector<std::size_t> candidates;  // directory entries it can be
  std::set<std::string> replaced;       // files not its own that it renamed a file over
  bool stopped = false;
  bool refused = false;  // a storage call that matters failed for it
  // Its output got its time stamp while holding one of its candidates' data: the extractor
  // stamps an output only once the data is complete and its CRC-32 checked.
  bool stamped = false;
};

class CheckingStorage : public Storage {
 public:
  CheckingStorage(const std::uint8_t* data, std::size_t size, unsigned failCall)
      : data_(data), size_(size), failCall_(failCall) {}

  // --- Set-up --------------------------------------------------------------------------------
  Directory ReadDirectory();
  void LayEarlierFile(const std::string& path);
  void LayStaleTemporaries();

  // --- The callback's view -------------------------------------------------------------------
  void FileStarts(const char* name, std::int32_t size);
  void Progress(std::uint32_t written);
  void StopAnswered() {
    stopAnswered_ = true;
    member_.stopped = true;
  }

  // --- The outcome ---------------------------------------------------------------------------
  void Finish(std::int32_t result, bool endReported, bool specified);
  const std::string& Failure() const { return failure_; }
  // Records the promise as the first one broken when `condition` is false.
  bool Expect(bool condition, const char* promise) {
    if (!condition && failure_.empty()) failure_ = promise;
    return condition;
  }

  // --- Storage ---------------------------------------------------------------------------------
  Status OpenArchive(const std::string&) override { return kOk; }
  Status ArchiveSize(std::uint64_t& size) override {
    size = size_;
    return kOk;
  }
  Status ReadArchive(std::uint64_t offset, void* buffer, std::size_t size,
                     std::size_t& done) override {
    done = offset >= size_ ? 0 : std::size_t(std::min<std::uint64_t>(size, size_ - offset));
    if (done) std::memcpy(buffer, data_ + offset, done);
    return kOk;
  }
  void CloseArchive() override {}

  Status CreateFolder(const std::string& path) override;
  Status CreateOutput(const std::string& path, OutputFile& file) override;
  Status WriteOutput(OutputFile file, const void* data, std::size_t size) override;
  Status SetOutputTime(OutputFile file, DosDateTime) override;
  Status CloseOutput(OutputFile file) override;
  Status RemoveFile(const std::string& path) override;
  Status RenameOver(const std::string& from, const std::string& to) override;

 private:
  bool FolderExists(std::string_view path) const {
    return path.empty() || folders_.count(std::string(path)) != 0;
  }
  // True when this call is the one the input asked to fail.
  bool Injected() { return ++mutatingCalls_ == failCall_; }
  // The same, for a call whose failure the member cannot survive.
  bool Refused() {
    if (!Injected()) return false;
    member_.refused = true;
    return true;
  }
  // True when the file holds the data of one of the member's directory entries.
  bool Exact(const File& file) const {
    for (std::size_t i : member_.candidates) {
      const Member& entry = directory_.members[i];
      if (file.size == entry.size && file.crc == entry.crc) return true;
    }
    return false;
  }
  // The member in hand is over: whatever it made must be settled.
  void MemberEnds();

  const std::uint8_t* data_;
  std::size_t size_;
  unsigned failCall_;
  unsigned mutatingCalls_ = 0;
  std::string failure_;

  Directory directory_;
  std::size_t cursor_ = 0;  // no later member can be an earlier directory entry
  std::set<std::string> folders_;
  std::map<std::string, File> files_;
  std::string open_;
  OutputFile openToken_ = 0;
  OutputFile lastToken_ = 0;
  std::uint64_t written_ = 0;   // bytes in the open output
  std::uint64_t diskUsed_ = 0;  // bytes written by the whole run
  bool created_ = false;
  MemberRun member_;
  int announced_ = 0;
  int failedAnnounced_ = 0;
  int kept_ = 0;
  bool stopAnswered_ = false;
};

Directory CheckingStorage::ReadDirectory() {
  ArchiveWindow window(*this, size_, 64 * 1024);
  DirectoryLayout layout;
  directory_.located = LocateDirectory(window, layout);
  if (!directory_.located) return directory_;
  DirectoryWalker walker(window, layout);
  for (Member member;;) {
    const auto step = walker.Next(member);
    if (step == DirectoryWalker::Step::kEnd) break;
    if (step == DirectoryWalker::Step::kBroken) {
      directory_.broken = true;
      break;
    }
    directory_.members.push_back(member);
  }
  return directory_;
}

void CheckingStorage::LayEarlierFile(const std::string& path) {
  // Members may disagree on what is a folder ("a" and "a/b"): the first one wins.
  for (std::size_t slash = path.find('/'); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (files_.count(folder)) return;
    folders_.insert(folder);
  }
  if (folders_.count(path) || files_.count(path)) return;
  files_[path] = File{kEarlierText.size(), Crc(kEarlierText), 0, false};
}

void CheckingStorage::LayStaleTemporaries() {
  std::vector<std::string> folders(folders_.begin(), folders_.end());
  folders.push_back("");
  for (const auto& folder : folders) {
    const std::string path =
        folder.empty() ? std::string(kStaleTemp) : folder + "/" + std::string(kStaleTemp);
    if (!folders_.count(path) && !files_.count(path)) {
      files_[path] = File{kEarlierText.size(), Crc(kEarlierText), 0, false};
    }
  }
}

void CheckingStorage::FileStarts(const char* name, std::int32_t size) {
  MemberEnds();
  Expect(!stopAnswered_, "no member starts after a stop");
  member_ = MemberRun{};
  member_.index = ++announced_;
  member_.name = name;
  member_.announcedSize = std::uint32_t(size);
  for (std::size_t i = cursor_; i < directory_.members.size(); ++i) {
    const Member& entry = directory_.members[i];
    if (entry.name == member_.name && std::uint32_t(entry.size) == member_.announcedSize) {
      member_.candidates.push_back(i);
    }
  }
  Expect(!member_.candidates.empty(), "an announced member is an entry of the directory");
  if (!member_.candidates.empty()) cursor_ = member_.candidates.front() + 1;
}

void CheckingStorage::Progress(std::uint32_t written) {
  Expect(!open_.empty() && files_.at(open_).owner == member_.index,
         "progress is reported while the member's output is open");
  Expect(written == std::uint32_t(written_), "progress reports the bytes written so far");
}

void CheckingStorage::MemberEnds() {
  if (member_.index == 0) return;
  Expect(open_.empty(), "a member's output is closed before the next member or the end");
  std::vector<std::string> left;
  for (const auto& [path, file] : files_) {
    if (file.owner == member_.index) left.push_back(path);
  }
  bool kept = false;
  if (Expect(left.size() <= 1, "a member leaves at most one file")) {
    if (left.size() == 1) {
      const File& file = files_.at(left.front());
      Expect(left.front() == Normalised(member_.name), "a member's file has the member's name");
      Expect(!member_.stopped, "a stopped member leaves nothing");
      bool exact = false;
      for (std::size_t i : member_.candidates) {
        const Member& entry = directory_.members[i];
        if (file.size == entry.size && file.crc == entry.crc) {
          exact = true;
          // No later member can be this entry or an earlier one.
          cursor_ = i + 1;
          break;
        }
      }
      Expect(exact, "a member's file has the directory's size and CRC-32");
      kept = true;
    }
  }
  Expect(kept || !member_.stamped || member_.refused,
         "a member written whole and right is kept unless closing or renaming failed");
  for (const auto& path : member_.replaced) {
    Expect(kept && path == left.front(),
           "a file is replaced only by the complete member of its name");
  }
  if (kept) {
    ++kept_;
  } else {
    ++failedAnnounced_;
  }
}

void CheckingStorage::Finish(std::int32_t result, bool endReported, bool specified) {
  MemberEnds();
  Expect(endReported, "the end is reported once, last");
  Expect(open_.empty(), "no output is left open");
  Expect(result >= kUnzipStopped && result != kUnzipBadParams, "the result is a known one");
  Expect(stopAnswered_ == (result == kUnzipStopped),
         "the result says stopped exactly after a stop");
  Expect(directory_.located == (result != kUnzipBadArchive),
         "an archive is refused exactly when it has no directory");
  if (result == kUnzipBadArchive) {
    Expect(!created_ && announced_ == 0, "a refused archive writes nothing");
  }
  if (result < 0) return;
  int wanted = 0;
  int refused = 0;
  for (const Member& entry : directory_.members) {
    if (specified && !MatchesFileSpec(kFileSpec, entry.name)) continue;
    ++wanted;
    SafePath safe;
    if (!MakeSafePath(entry.name, safe)) ++refused;
  }
  const int broken = directory_.broken ? 1 : 0;
  Expect(result >= failedAnnounced_ + refused + broken,
         "every member that left no file, and every refused name, counts as failed");
  Expect(result <= wanted + broken - kept_, "a member that left its file does not count as failed");
}

Status CheckingStorage::CreateFolder(const std::string& path) {
  if (!Expect(InsideFolder(path), "folders stay inside the extraction folder") ||
      !Expect(FolderExists(ParentOf(path)), "a folder is made inside one that exists") ||
      !Expect(!stopAnswered_, "nothing is made after a stop")) {
    return kErrAccessDenied;
  }
  // A folder that cannot be made keeps the member from being written at all.
  if (Injected()) return kErrAccessDenied;
  if (files_.count(path)) return kErrFileExists;
  folders_.insert(path);
  return kOk;
}

Status CheckingStorage::CreateOutput(const std::string& path, OutputFile& token) {
  if (!Expect(member_.index > 0, "every output belongs to an announced member") ||
      !Expect(InsideFolder(path), "files stay inside the extraction folder") ||
      !Expect(open_.empty(), "one output is open at a time") ||
      !Expect(FolderExists(ParentOf(path)), "an output is made inside a folder that exists") ||
      !Expect(!stopAnswered_, "nothing is made after a stop")) {
    return kErrAccessDenied;
  }
  if (Refused()) return kErrAccessDenied;
  if (files_.count(path) || folders_.count(path)) return kErrFileExists;
  files_[path] = File{0, Crc({}), member_.index, true};
  open_ = path;
  // A fresh token for each output, so that a call naming an older one is caught.
  token = openToken_ = ++lastToken_;
  written_ = 0;
  created_ = true;
  return kOk;
}

Status CheckingStorage::WriteOutput(OutputFile token, const void* data, std::size_t size) {
  if (!Expect(!open_.empty() && token == openToken_, "writes go to the open output") ||
      !Expect(!stopAnswered_, "nothing is written after a stop")) {
    return kErrAccessDenied;
  }
  File& file = files_.at(open_);
  if (Refused() || diskUsed_ + size > kDisk) {
    // Part of the data may have gone to the disk: the file is no longer the member's.
    file.crc = ~file.crc;
    member_.refused = true;
    return kErrDiskFull;
  }
  diskUsed_ += size;
  file.crc = std::uint32_t(crc32(file.crc, static_cast<const Bytef*>(data), uInt(size)));
  file.size += size;
  written_ += size;
  return kOk;
}

Status CheckingStorage::SetOutputTime(OutputFile token, DosDateTime) {
  if (!Expect(!open_.empty() && token == openToken_, "a time stamp goes to the open output")) {
    return kErrAccessDenied;
  }
  if (Exact(files_.at(open_))) member_.stamped = true;
  // A date the file system refuses must not cost the file.
  if (Injected()) return kErrAccessDenied;
  return kOk;
}

Status CheckingStorage::CloseOutput(OutputFile token) {
  if (!Expect(!open_.empty() && token == openToken_, "only the open output is closed")) {
    return kErrAccessDenied;
  }
  File& file = files_.at(open_);
  file.open = false;
  open_.clear();
  // The handle is gone either way; a close that reports a failed delayed write leaves a file
  // that is not what was written.
  if (Refused()) {
    file.crc = ~file.crc;
    return kErrDiskFull;
  }
  return kOk;
}

Status CheckingStorage::RemoveFile(const std::string& path) {
  // Removals never fail here: a half-written file that cannot be removed is beyond any extractor.
  const auto found = files_.find(path);
  if (!Expect(found != files_.end(), "only an existing file is removed") ||
      !Expect(!found->second.open, "an output is closed before it is removed") ||
      !Expect(found->second.owner == member_.index && member_.index > 0,
              "only the member in hand removes, and only what it made")) {
    return kErrAccessDenied;
  }
  files_.erase(found);
  return kOk;
}

Status CheckingStorage::RenameOver(const std::string& from, const std::string& to) {
  const auto found = files_.find(from);
  if (!Expect(found != files_.end(), "only an existing file is renamed") ||
      !Expect(!found->second.open, "an output is closed before it is renamed") ||
      !Expect(found->second.owner == member_.index && member_.index > 0,
              "only the member in hand renames, and only what it made") ||
      !Expect(InsideFolder(to), "files stay inside the extraction folder") ||
      !Expect(FolderExists(ParentOf(to)), "a file is renamed into a folder that exists") ||
      !Expect(!stopAnswered_, "nothing is renamed into place after a stop")) {
    return kErrAccessDenied;
  }
  if (Refused()) return kErrAccessDenied;
  if (folders_.count(to)) {
    member_.refused = true;
    return kErrAccessDenied;
  }
  if (from == to) return kOk;
  const auto old = files_.find(to);
  if (old != files_.end()) {
    if (old->second.owner != member_.index) member_.replaced.insert(to);
    files_.erase(old);
  }
  files_[to] = files_.at(from);
  files_.erase(from);
  return kOk;
}

// The callback reaches the run through the record's Caller field, as the installer's does.
struct CallbackState {
  CheckingStorage* storage = nullptr;
  unsigned stopAt = 0;  // answer "stop" at this call (1-based), 0 never
  unsigned calls = 0;
  unsigned ends = 0;
  unsigned callsAfterEnd = 0;
};

std::int32_t UNZIP_STDCALL Callback(UnzipCallbackInfo* info) {
  auto* state = static_cast<CallbackState*>(info->Caller);
  CheckingStorage& storage = *state->storage;
  ++state->calls;
  if (state->ends > 0) ++state->callsAfterEnd;
  if (!storage.Expect(std::memchr(info->FileName, 0, sizeof info->FileName) != nullptr,
                      "every name reported is zero-terminated")) {
    return 0;
  }
  switch (info->ActionCode) {
    case kUnzipActionFileStarts:
      storage.FileStarts(info->FileName, info->FileSize);
      break;
    case kUnzipActionProgress:
      storage.Progress(info->BytesWritten);
      break;
    case kUnzipActionEnd:
      ++state->ends;
      return 0;
    default:
      storage.Expect(false, "the callback gets only the three known codes");
      return 0;
  }
  if (state->calls != state->stopAt) return 0;
  storage.StopAnswered();
  return 1;
}

}  // namespace

std::string CheckArchiveInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t setup = size >= 1 ? data[size - 1] : 0;
  const std::uint8_t failCall = size >= 2 ? data[size - 2] : 0;
  const bool specified = (setup & 1) != 0;

  CheckingStorage storage(data, size, failCall);
  const Directory directory = storage.ReadDirectory();
  if (setup & 2) {
    for (const Member& entry : directory.members) {
      SafePath safe;
      if (MakeSafePath(entry.name, safe) && !safe.folder && !entry.IsFolder()) {
        storage.LayEarlierFile(safe.path);
      }
    }
  }
  if (setup & 4) storage.LayStaleTemporaries();

  CallbackState state;
  state.storage = &storage;
  state.stopAt = setup >> 3;
  static UnzipParams params{};
  params.Caller = &state;
  params.Callback = &Callback;
  params.ArchiveName = "fuzz.pck";
  params.FileSpecCount = specified ? 1 : 0;
  params.FileSpecs[0] = kFileSpec;
  const std::int32_t result = Extract(params, storage);
  storage.Finish(result, state.ends == 1 && state.callsAfterEnd == 0, specified);
  return storage.Failure();
}

}  // namespace unzip::fuzz
