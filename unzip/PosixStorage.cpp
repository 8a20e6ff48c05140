#include "unzip/PosixStorage.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>

namespace unzip {
namespace {

// errno in the Windows numbering the extractor and its callers share.
Status FromErrno(int error) {
  switch (error) {
    case 0:
      return kOk;
    case ENOENT:
    case ENOTDIR:
      return kErrFileNotFound;
    case ENOSPC:
    case EDQUOT:
      return kErrDiskFull;
    case EACCES:
    case EPERM:
    case EISDIR:
      return kErrAccessDenied;
    case EEXIST:
      return kErrFileExists;
    default:
      return 0x20000000u | std::uint32_t(error);  // the customer bit: not a Windows code
  }
}

}  // namespace

long long DosToUnixTime(DosDateTime stamp) {
  // mktime reads the time-zone file on every call, which costs more than writing a small member.
  // Clocks change only on the hour, so one conversion per date and hour serves every member
  // stamped within it.
  thread_local std::uint32_t cachedHour = 0xFFFFFFFF;
  thread_local long long cachedStart = 0;
  const std::uint32_t hour = (std::uint32_t(stamp.date) << 5) | (stamp.time >> 11);
  if (hour != cachedHour) {
    std::tm t{};
    t.tm_year = 80 + (stamp.date >> 9);
    t.tm_mon = ((stamp.date >> 5) & 15) - 1;
    t.tm_mday = stamp.date & 31;
    t.tm_hour = stamp.time >> 11;
    t.tm_isdst = -1;
    cachedStart = static_cast<long long>(std::mktime(&t));
    cachedHour = hour;
  }
  return cachedStart + ((stamp.time >> 5) & 63) * 60 + (stamp.time & 31) * 2;
}

PosixStorage::PosixStorage(std::string root) : root_(std::move(root)) {}

std::string PosixStorage::Full(const std::string& path) const { return root_ + "/" + path; }

Status PosixStorage::OpenArchive(const std::string& path) {
  archive_.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!archive_) return FromErrno(errno);
  struct stat info {};
  // A folder opens, but reads from it fail: refuse it here.
  if (::fstat(archive_.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    archive_.Reset();
    return kErrFileNotFound;
  }
  return kOk;
}

Status PosixStorage::ArchiveSize(std::uint64_t& size) {
  struct stat info {};
  if (::fstat(archive_.Get(), &info) != 0) return FromErrno(errno);
  size = std::uint64_t(info.st_size);
  return kOk;
}

Status PosixStorage::ReadArchive(std::uint64_t offset, void* buffer, std::size_t size,
                                 std::size_t& done) {
  done = 0;
  for (;;) {
    const ssize_t got = ::pread(archive_.Get(), buffer, size, off_t(offset));
    if (got >= 0) {
      done = std::size_t(got);
      return kOk;
    }
    if (errno != EINTR) return FromErrno(errno);
  }
}

void PosixStorage::CloseArchive() { archive_.Reset(); }

Status PosixStorage::CreateFolder(const std::string& path) {
  if (::mkdir(Full(path).c_str(), 0777) == 0) return kOk;
  const int error = errno;
  struct stat info {};
  if (error == EEXIST && ::stat(Full(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return kOk;
  }
  return FromErrno(error);
}

Status PosixStorage::CreateOutput(const std::string& path, OutputFile& file) {
  const int fd = ::open(Full(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return FromErrno(errno);
  file = OutputFile(fd);
  return kOk;
}

Status PosixStorage::WriteOutput(OutputFile file, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = ::write(int(file), bytes, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      return FromErrno(errno);
    }
    if (put == 0) return kErrDiskFull;
    bytes += put;
    size -= std::size_t(put);
  }
  return kOk;
}

Status PosixStorage::SetOutputTime(OutputFile file, DosDateTime stamp) {
  const timespec when{static_cast<time_t>(DosToUnixTime(stamp)), 0};
  const timespec times[2] = {when, when};
  return ::futimens(int(file), times) == 0 ? kOk : FromErrno(errno);
}

Status PosixStorage::CloseOutput(OutputFile file) {
  // close() is where a network or quota file system may report a failed write.
  return ::close(int(file)) == 0 ? kOk : FromErrno(errno);
}

Status PosixStorage::RemoveFile(const std::string& path) {
  return ::unlink(Full(path).c_str()) == 0 ? kOk : FromErrno(errno);
}

Status PosixStorage::RenameOver(const std::string& from, const std::string& to) {
  return ::rename(Full(from).c_str(), Full(to).c_str()) == 0 ? kOk : FromErrno(errno);
}

}  // namespace unzip
