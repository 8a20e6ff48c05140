// libFuzzer target: any bytes as an archive, extracted into memory. Besides the sanitizers'
// findings it traps on the extractor's own promises: no path outside the target, no temporary
// file left behind, nothing renamed into place that was not completely written and closed.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "unzip/Extract.h"
#include "unzip/Storage.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

bool SafeRelative(const std::string& path) {
  if (path.empty() || path.front() == '/' || path.back() == '/') return false;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == ".." ||
        part.find_first_of(":\\") != std::string::npos) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

// The archive in memory; outputs are counted, not kept, and the "disk" holds 32 MiB so that a
// bomb costs bounded time. The extractor's writer threads share it, as they share the real ones.
class MemoryStorage : public unzip::Storage {
 public:
  MemoryStorage(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool ConcurrentOutput() const override { return true; }

  unzip::Status OpenArchive(const std::string&) override { return unzip::kOk; }
  unzip::Status ArchiveSize(std::uint64_t& size) override {
    size = size_;
    return unzip::kOk;
  }
  unzip::Status ReadArchive(std::uint64_t offset, void* buffer, std::size_t size,
                            std::size_t& done) override {
    done = offset >= size_ ? 0 : std::min<std::uint64_t>(size, size_ - offset);
    if (done) std::memcpy(buffer, data_ + offset, done);
    return unzip::kOk;
  }
  void CloseArchive() override {}

  unzip::Status CreateFolder(const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Require(SafeRelative(path));
    folders_.insert(path);
    return unzip::kOk;
  }
  unzip::Status CreateOutput(const std::string& path, unzip::OutputFile& file) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Require(SafeRelative(path));
    // An output made after its member's own name was refused, on the same thread, is a temporary
    // file: it must be renamed into place or removed by the end.
    thread_local bool refused = false;
    if (files_.count(path)) {
      refused = true;
      return unzip::kErrFileExists;
    }
    file = ++lastFile_;
    open_[file] = path;
    files_.insert(path);
    if (refused) pending_.insert(path);
    refused = false;
    return unzip::kOk;
  }
  unzip::Status WriteOutput(unzip::OutputFile file, const void*, std::size_t size) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Require(open_.count(file) == 1);
    if (written_ + size > kDisk) return unzip::kErrDiskFull;
    written_ += size;
    return unzip::kOk;
  }
  unzip::Status SetOutputTime(unzip::OutputFile file, unzip::DosDateTime) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Require(open_.count(file) == 1);
    return unzip::kOk;
  }
  unzip::Status CloseOutput(unzip::OutputFile file) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = open_.find(file);
    Require(it != open_.end());
    closed_.insert(it->second);
    open_.erase(it);
    return unzip::kOk;
  }
  unzip::Status RemoveFile(const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Require(closed_.erase(path) == 1 && files_.erase(path) == 1);
    pending_.erase(path);
    return unzip::kOk;
  }
  unzip::Status RenameOver(const std::string& from, const std::string& to) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Require(closed_.erase(from) == 1 && SafeRelative(to) && pending_.erase(from) == 1);
    files_.erase(from);
    files_.insert(to);
    return unzip::kOk;
  }

  // Every output was either renamed into place or removed, and none is still open.
  bool Settled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_.empty() && pending_.empty();
  }

 private:
  static constexpr std::uint64_t kDisk = 32u << 20;
  const std::uint8_t* data_;
  std::size_t size_;
  std::set<std::string> folders_;
  std::set<std::string> files_;
  mutable std::mutex mutex_;
  std::set<std::string> pending_;  // temporary outputs not yet renamed or removed
  std::map<unzip::OutputFile, std::string> open_;
  std::set<std::string> closed_;  // closed outputs not yet renamed or removed
  unzip::OutputFile lastFile_ = 0;
  std::uint64_t written_ = 0;
};

std::int32_t UNZIP_STDCALL Callback(UnzipCallbackInfo* info) {
  Require(info->Caller == &Callback);
  Require(std::memchr(info->FileName, 0, sizeof info->FileName) != nullptr);
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static UnzipParams params{};
  params.Caller = reinterpret_cast<void*>(&Callback);
  params.Callback = &Callback;
  params.ArchiveName = "fuzz.pck";
  // The last byte, when odd, asks for a file specification, as the installer's single-file
  // extractions do.
  params.FileSpecCount = size > 0 && (data[size - 1] & 1) ? 1 : 0;
  params.FileSpecs[0] = "*.t?t";
  MemoryStorage storage(data, size);
  const std::int32_t result = unzip::Extract(params, storage);
  Require(result >= kUnzipStopped);
  Require(storage.Settled());
  return 0;
}
