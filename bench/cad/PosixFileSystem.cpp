#include "PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace cad::bench {
namespace {

constexpr std::uint32_t kErrGenFailure = 31;
constexpr std::uint32_t kErrNotSupported = 50;

std::string Native(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

std::uint32_t FromErrno(int error) {
  switch (error) {
    case 0:
      return 0;
    case ENOENT:
      return toolkit::kErrFileNotFound;
    case ENOTDIR:
      return toolkit::kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return toolkit::kErrAccessDenied;
    case EMFILE:
    case ENFILE:
      return toolkit::kErrTooManyOpenFiles;
    case EEXIST:
      return toolkit::kErrAlreadyExists;
    case ENOSPC:
      return toolkit::kErrDiskFull;
    case EBADF:
      return toolkit::kErrInvalidHandle;
    default:
      return kErrGenFailure;
  }
}

std::uint32_t Done(int result) { return result == 0 ? 0 : FromErrno(errno); }
int Descriptor(toolkit::FileId file) { return static_cast<int>(file) - 1; }

}  // namespace

std::string PosixFileSystem::CurrentDir() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

std::uint32_t PosixFileSystem::ChangeDir(const std::string& path) {
  return Done(chdir(Native(path).c_str()));
}

std::uint32_t PosixFileSystem::CreateDir(const std::string& path) {
  return Done(mkdir(Native(path).c_str(), 0755));
}

bool PosixFileSystem::FileExists(const std::string& path) {
  struct stat info;
  return stat(Native(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PosixFileSystem::DirExists(const std::string& path) {
  struct stat info;
  return stat(Native(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> PosixFileSystem::FileNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* listing = opendir(Native(folder).c_str());
  if (listing == nullptr) return names;
  while (const dirent* entry = readdir(listing)) {
    struct stat info;
    const std::string path = Native(folder) + "/" + entry->d_name;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.emplace_back(entry->d_name);
  }
  closedir(listing);
  return names;
}

std::string PosixFileSystem::ProgramPath() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : "";
}

std::uint32_t PosixFileSystem::Open(const std::string& path, toolkit::OpenMode mode,
                                    toolkit::FileId& file) {
  int flags = O_RDONLY;
  if (mode == toolkit::OpenMode::kReadWrite) flags = O_RDWR;
  if (mode == toolkit::OpenMode::kCreate) flags = O_WRONLY | O_CREAT | O_TRUNC;
  if (mode == toolkit::OpenMode::kCreateNew) flags = O_WRONLY | O_CREAT | O_EXCL;
  int fd = open(Native(path).c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return FromErrno(errno);
  file = static_cast<toolkit::FileId>(fd) + 1;
  return 0;
}

std::uint32_t PosixFileSystem::Read(toolkit::FileId file, void* buffer, std::size_t size,
                                    std::size_t& done) {
  ssize_t count = read(Descriptor(file), buffer, size);
  if (count < 0) return FromErrno(errno);
  done = static_cast<std::size_t>(count);
  return 0;
}

std::uint32_t PosixFileSystem::Write(toolkit::FileId file, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t count = write(Descriptor(file), bytes, size);
    if (count < 0) return FromErrno(errno);
    if (count == 0) return toolkit::kErrDiskFull;
    bytes += count;
    size -= static_cast<std::size_t>(count);
  }
  return 0;
}

std::uint32_t PosixFileSystem::Size(toolkit::FileId file, std::uint64_t& size) {
  struct stat info;
  if (fstat(Descriptor(file), &info) != 0) return FromErrno(errno);
  size = static_cast<std::uint64_t>(info.st_size);
  return 0;
}

std::uint32_t PosixFileSystem::Seek(toolkit::FileId file, std::uint64_t position) {
  return lseek(Descriptor(file), static_cast<off_t>(position), SEEK_SET) < 0 ? FromErrno(errno) : 0;
}

std::uint32_t PosixFileSystem::SetTime(toolkit::FileId, toolkit::DosDateTime) {
  return kErrNotSupported;
}

std::uint32_t PosixFileSystem::Close(toolkit::FileId file) { return Done(close(Descriptor(file))); }

std::uint32_t PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  return Done(
      renameat2(AT_FDCWD, Native(from).c_str(), AT_FDCWD, Native(to).c_str(), RENAME_NOREPLACE));
}

std::uint32_t PosixFileSystem::Delete(const std::string& path) {
  return Done(unlink(Native(path).c_str()));
}

std::uint32_t PosixFileSystem::RemoveDir(const std::string& path) {
  return Done(rmdir(Native(path).c_str()));
}

std::uint32_t PosixFileSystem::Flush(toolkit::FileId file) { return Done(fsync(Descriptor(file))); }

std::uint32_t PosixFileSystem::FreeSpace(const std::string&, std::uint64_t& bytes) {
  // The benchmark never asks; its disk is taken as roomy.
  bytes = std::uint64_t(1) << 40;
  return 0;
}

}  // namespace cad::bench
