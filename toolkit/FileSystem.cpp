#include "toolkit/FileSystem.h"

#include <utility>

#include "toolkit/Errors.h"

namespace toolkit::fs {
namespace {
// Everything runs on the user-interface thread, like the run-time library's own InOutRes.
std::uint32_t recordedCode = 0;
}  // namespace

std::uint32_t IoResult() { return std::exchange(recordedCode, 0); }

void Report(std::uint32_t code, Check check) {
  if (code == 0) return;
  if (check == Check::kRaise) throw EInOutError(code);
  recordedCode = code;
}

void ChDir(const std::string& path, Check check) { Report(Fs().ChangeDir(path), check); }
void MkDir(const std::string& path, Check check) { Report(Fs().CreateDir(path), check); }
void Rename(const std::string& from, const std::string& to, Check check) {
  Report(Fs().Rename(from, to), check);
}
void Erase(const std::string& path, Check check) { Report(Fs().Delete(path), check); }

void RmDir(const std::string& path, Check check) { Report(Fs().RemoveDir(path), check); }

File::File(File&& other) noexcept : id_(std::exchange(other.id_, 0)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (id_ != 0) Fs().Close(id_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

File::~File() {
  if (id_ != 0) Fs().Close(id_);
}

void File::Open(const std::string& path, OpenMode mode, Check check) {
  if (id_ != 0) {
    Fs().Close(id_);
    id_ = 0;
  }
  FileId opened = 0;
  std::uint32_t code = Fs().Open(path, mode, opened);
  if (code == 0) id_ = opened;
  Report(code, check);
}

std::size_t File::Read(void* buffer, std::size_t size, Check check) {
  std::size_t done = 0;
  Report(id_ == 0 ? kErrInvalidHandle : Fs().Read(id_, buffer, size, done), check);
  return done;
}

void File::Write(const void* data, std::size_t size, Check check) {
  std::uint32_t code = id_ == 0 ? kErrInvalidHandle : Fs().Write(id_, data, size);
  // The run-time library reports a short write as its own "Disk full".
  if (code == kErrDiskFull || code == kErrHandleDiskFull) code = kErrRtlDiskFull;
  Report(code, check);
}

std::uint64_t File::Size(Check check) {
  std::uint64_t size = 0;
  Report(id_ == 0 ? kErrInvalidHandle : Fs().Size(id_, size), check);
  return size;
}

void File::Seek(std::uint64_t position, Check check) {
  Report(id_ == 0 ? kErrInvalidHandle : Fs().Seek(id_, position), check);
}

void File::Flush(Check check) { Report(id_ == 0 ? kErrInvalidHandle : Fs().Flush(id_), check); }

void File::Close(Check check) {
  if (id_ == 0) return;
  std::uint32_t code = Fs().Close(id_);
  id_ = 0;
  Report(code, check);
}

std::string StripTrailingBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::string FoldCase(std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return name;
}

}  // namespace toolkit::fs
