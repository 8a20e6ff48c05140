// PosixStorage is the extractor's storage on a POSIX system: the native tests, the fuzzer and the
// benchmark extract real archives with it. Output paths are taken relative to a root folder
// (the current folder by default), as the DLL takes them relative to the current folder. Its
// output calls are plain system calls on descriptors of their own, so writer threads may share it.
#pragma once

#include <unistd.h>

#include <string>

#include "unzip/OwnedHandle.h"
#include "unzip/Storage.h"

namespace unzip {

namespace posix {
inline void CloseFd(int fd) { ::close(fd); }
using Fd = OwnedHandle<int, CloseFd, -1>;
}  // namespace posix

class PosixStorage : public Storage {
 public:
  explicit PosixStorage(std::string root = ".");

  Status OpenArchive(const std::string& path) override;
  Status ArchiveSize(std::uint64_t& size) override;
  Status ReadArchive(std::uint64_t offset, void* buffer, std::size_t size,
                     std::size_t& done) override;
  void CloseArchive() override;

  bool ConcurrentOutput() const override { return true; }
  Status CreateFolder(const std::string& path) override;
  Status CreateOutput(const std::string& path, OutputFile& file) override;
  Status WriteOutput(OutputFile file, const void* data, std::size_t size) override;
  Status SetOutputTime(OutputFile file, DosDateTime stamp) override;
  Status CloseOutput(OutputFile file) override;
  Status RemoveFile(const std::string& path) override;
  Status RenameOver(const std::string& from, const std::string& to) override;

 private:
  std::string Full(const std::string& path) const;

  std::string root_;
  posix::Fd archive_;
};

// The POSIX time a DOS stamp means, read as local time as DOS and Windows keep it.
long long DosToUnixTime(DosDateTime stamp);

}  // namespace unzip
