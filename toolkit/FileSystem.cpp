#include "toolkit/FileSystem.h"

#include <cctype>
#include <string_view>
#include <utility>

#include "toolkit/Errors.h"

namespace toolkit::fs {
namespace {

IoStatus Code(std::uint32_t code) { return IoStatus(code); }

// A path split into the prefix that names its drive or share ("c:", "\\server\share") and its
// parts; false for a path that is not absolute, or names the device namespace ("\\.\", "\\?\").
bool SplitAbsolute(const std::string& path, std::string& prefix, std::vector<std::string>& parts) {
  std::size_t at = 0;
  if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
      path[2] == '\\') {
    prefix = path.substr(0, 2);
    at = 3;
  } else if (path.starts_with("\\\\") && !path.starts_with("\\\\?\\") &&
             !path.starts_with("\\\\.\\")) {
    const std::size_t server = path.find('\\', 2);
    const std::size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
    if (server == std::string::npos || server == 2 || share == server + 1) return false;
    prefix = path.substr(0, share);
    at = share == std::string::npos ? path.size() : share + 1;
  } else {
    return false;
  }
  parts.clear();
  while (at < path.size()) {
    const std::size_t end = std::min(path.find('\\', at), path.size());
    if (end > at) parts.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  return true;
}

// A part Windows would take as it is: no "." or "..", no stream, no trailing dot or space it
// would drop, no device.
bool PlainPart(const std::string& part) {
  if (part == "." || part == ".." || part.back() == '.' || part.back() == ' ') return false;
  for (const char c : part) {
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("<>:\"/|?*").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return !IsDeviceName(part);
}

}  // namespace

void IoStatus::OrRaise() const {
  if (code_ != 0) throw EInOutError(code_);
}

void ChDir(const std::string& path) { TryChDir(path).OrRaise(); }
void MkDir(const std::string& path) { TryMkDir(path).OrRaise(); }
void Rename(const std::string& from, const std::string& to) { TryRename(from, to).OrRaise(); }
void Erase(const std::string& path) { TryErase(path).OrRaise(); }
void RmDir(const std::string& path) { TryRmDir(path).OrRaise(); }

IoStatus TryChDir(const std::string& path) { return Code(Fs().ChangeDir(path)); }
IoStatus TryMkDir(const std::string& path) { return Code(Fs().CreateDir(path)); }
IoStatus TryRename(const std::string& from, const std::string& to) {
  return Code(Fs().Rename(from, to));
}
IoStatus TryErase(const std::string& path) { return Code(Fs().Delete(path)); }
IoStatus TryRmDir(const std::string& path) { return Code(Fs().RemoveDir(path)); }

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

void File::Open(const std::string& path, OpenMode mode) { TryOpen(path, mode).OrRaise(); }

IoStatus File::TryOpen(const std::string& path, OpenMode mode) {
  if (id_ != 0) {
    Fs().Close(id_);
    id_ = 0;
  }
  FileId opened = 0;
  const std::uint32_t code = Fs().Open(path, mode, opened);
  if (code == 0) id_ = opened;
  return Code(code);
}

std::size_t File::Read(void* buffer, std::size_t size) {
  std::size_t done = 0;
  TryRead(buffer, size, done).OrRaise();
  return done;
}

IoStatus File::TryRead(void* buffer, std::size_t size, std::size_t& done) {
  done = 0;
  return Code(id_ == 0 ? kErrInvalidHandle : Fs().Read(id_, buffer, size, done));
}

void File::Write(const void* data, std::size_t size) { TryWrite(data, size).OrRaise(); }

IoStatus File::TryWrite(const void* data, std::size_t size) {
  std::uint32_t code = id_ == 0 ? kErrInvalidHandle : Fs().Write(id_, data, size);
  // The run-time library reports a short write as its own "Disk full".
  if (code == kErrDiskFull || code == kErrHandleDiskFull) code = kErrRtlDiskFull;
  return Code(code);
}

std::uint64_t File::Size() {
  std::uint64_t size = 0;
  TrySize(size).OrRaise();
  return size;
}

IoStatus File::TrySize(std::uint64_t& size) {
  size = 0;
  return Code(id_ == 0 ? kErrInvalidHandle : Fs().Size(id_, size));
}

void File::Seek(std::uint64_t position) { TrySeek(position).OrRaise(); }

IoStatus File::TrySeek(std::uint64_t position) {
  return Code(id_ == 0 ? kErrInvalidHandle : Fs().Seek(id_, position));
}

void File::Flush() { TryFlush().OrRaise(); }

IoStatus File::TryFlush() { return Code(id_ == 0 ? kErrInvalidHandle : Fs().Flush(id_)); }

void File::Close() { TryClose().OrRaise(); }

IoStatus File::TryClose() {
  if (id_ == 0) return IoStatus();
  const std::uint32_t code = Fs().Close(id_);
  id_ = 0;
  return Code(code);
}

namespace {

// The leaf's extension starts at its last dot; a leaf without one has none.
std::pair<std::string, std::string> StemAndExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {path, ""};
  return {path.substr(0, dot), path.substr(dot)};
}

}  // namespace

std::string FreeName(const std::string& path) {
  if (Fs().KindOf(path) == PathKind::kNone) return path;
  const auto [stem, extension] = StemAndExtension(path);
  for (int n = 2; n < 1000; ++n) {
    const std::string candidate = stem + "-" + std::to_string(n) + extension;
    if (Fs().KindOf(candidate) == PathKind::kNone) return candidate;
  }
  return path;
}

bool IsFreeNameOf(const std::string& candidate, const std::string& path) {
  const std::string folded = FoldCase(candidate);
  if (folded == FoldCase(path)) return true;
  const auto [stem, extension] = StemAndExtension(FoldCase(path));
  if (folded.size() <= stem.size() + 1 + extension.size() || !folded.starts_with(stem + "-") ||
      !folded.ends_with(extension)) {
    return false;
  }
  const std::string number =
      folded.substr(stem.size() + 1, folded.size() - stem.size() - 1 - extension.size());
  return !number.empty() && number.size() <= 3 && number[0] != '0' &&
         number.find_first_not_of("0123456789") == std::string::npos;
}

bool IsDeviceName(const std::string& name) {
  // Windows reads the part before the first dot, without the spaces that end it.
  std::string base = FoldCase(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  if (base == "con" || base == "prn" || base == "aux" || base == "nul" || base == "conin$" ||
      base == "conout$") {
    return true;
  }
  if (base.size() != 4 || !(base.starts_with("com") || base.starts_with("lpt"))) return false;
  const unsigned char digit = static_cast<unsigned char>(base[3]);
  // Code page 1252's superscript one, two and three count as digits too.
  return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

RootedPaths::RootedPaths(std::string root) : root_(StripTrailingBackslash(std::move(root))) {
  // A drive's root keeps its backslash: "c:" alone would name the current folder.
  if (root_.size() == 2 && root_[1] == ':') root_ += '\\';
}

IoStatus RootedPaths::Check(const std::string& path,
                            std::vector<std::unique_ptr<FileSystem::Pin>>& pins) const {
  std::string rootPrefix;
  std::string pathPrefix;
  std::vector<std::string> rootParts;
  std::vector<std::string> parts;
  if (!SplitAbsolute(root_, rootPrefix, rootParts) || !SplitAbsolute(path, pathPrefix, parts) ||
      FoldCase(rootPrefix) != FoldCase(pathPrefix) || parts.size() < rootParts.size()) {
    return Code(kErrBadPathName);
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!PlainPart(parts[i])) return Code(kErrBadPathName);
    if (i < rootParts.size() && FoldCase(parts[i]) != FoldCase(rootParts[i])) {
      return Code(kErrBadPathName);
    }
  }
  // Every folder from the root down to the path's own is held first and looked at after, so
  // that what is looked at is what stays while the caller acts.
  std::string folder = pathPrefix + "\\";
  for (std::size_t i = 0; i < rootParts.size(); ++i) folder = JoinPath(folder, parts[i]);
  for (std::size_t i = rootParts.size();; ++i) {
    std::unique_ptr<FileSystem::Pin> pin;
    if (const std::uint32_t code = Fs().PinFolder(folder, pin)) return Code(code);
    const PathKind kind = Fs().KindOf(folder);
    if (kind == PathKind::kLink) return Code(kErrLinkInTheWay);
    if (kind != PathKind::kFolder) return Code(kErrPathNotFound);
    pins.push_back(std::move(pin));
    if (i + 1 >= parts.size()) break;
    folder = JoinPath(folder, parts[i]);
  }
  if (parts.size() > rootParts.size() && Fs().KindOf(path) == PathKind::kLink) {
    return Code(kErrLinkInTheWay);
  }
  return IoStatus();
}

IoStatus RootedPaths::Check(const std::string& path) const {
  std::vector<std::unique_ptr<FileSystem::Pin>> pins;
  return Check(path, pins);
}

PathKind RootedPaths::KindOf(const std::string& path) const {
  if (Check(path).Failed()) return PathKind::kNone;
  return Fs().KindOf(path);
}

IoStatus RootedPaths::Erase(const std::string& path) const {
  std::vector<std::unique_ptr<FileSystem::Pin>> pins;
  if (const IoStatus checked = Check(path, pins); checked.Failed()) return checked;
  return TryErase(path);
}

IoStatus RootedPaths::RmDir(const std::string& path) const {
  std::vector<std::unique_ptr<FileSystem::Pin>> pins;
  if (const IoStatus checked = Check(path, pins); checked.Failed()) return checked;
  // The root is held by its own pin, which would keep it from going; a folder below it is not.
  if (FoldCase(StripTrailingBackslash(path)) == FoldCase(StripTrailingBackslash(root_))) {
    pins.clear();
  }
  return TryRmDir(path);
}

IoStatus RootedPaths::Rename(const std::string& from, const std::string& to) const {
  std::vector<std::unique_ptr<FileSystem::Pin>> pins;
  if (const IoStatus checked = Check(from, pins); checked.Failed()) return checked;
  if (const IoStatus checked = Check(to, pins); checked.Failed()) return checked;
  return TryRename(from, to);
}

IoStatus RootedPaths::Open(File& file, const std::string& path, OpenMode mode) const {
  std::vector<std::unique_ptr<FileSystem::Pin>> pins;
  if (const IoStatus checked = Check(path, pins); checked.Failed()) return checked;
  return file.TryOpen(path, mode);
}

std::string CommonFolder(std::initializer_list<std::string> paths) {
  std::string prefix;
  std::vector<std::string> common;
  bool first = true;
  for (const std::string& path : paths) {
    std::string pathPrefix;
    std::vector<std::string> parts;
    if (!SplitAbsolute(path, pathPrefix, parts) || parts.empty()) return {};
    parts.pop_back();
    if (first) {
      prefix = pathPrefix;
      common = parts;
      first = false;
      continue;
    }
    if (FoldCase(pathPrefix) != FoldCase(prefix)) return {};
    std::size_t same = 0;
    while (same < common.size() && same < parts.size() &&
           FoldCase(common[same]) == FoldCase(parts[same])) {
      ++same;
    }
    common.resize(same);
  }
  std::string folder = prefix + "\\";
  for (const std::string& part : common) folder = JoinPath(folder, part);
  return folder;
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
