// Storage is everything the extractor needs from a file system, and nothing more: read the
// archive at offsets, and create folders and files relative to the current folder. It exists so
// the extractor names no OS: the DLL implements it with Win32 calls, native tests, the fuzzer and
// the benchmark with POSIX calls, and the headless installer over its in-memory file system.
//
// Output paths are relative, '/'-separated and already checked by the extractor: no empty, "." or
// ".." part, no drive, no device name. Every operation returns an operating-system error code
// (0 = done). Output files are named by the token CreateOutput hands out, so that several may be
// open at once; the extractor closes every one it opens. (Method names steer clear of Win32's A/W
// macros such as DeleteFile, since the DLL's storage sees <windows.h>.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace unzip {

using Status = std::uint32_t;
inline constexpr Status kOk = 0;
// Codes the extractor itself reports, in Windows' numbering so a Win32 storage agrees with it.
inline constexpr Status kErrFileNotFound = 2;
inline constexpr Status kErrAccessDenied = 5;
inline constexpr Status kErrFileExists = 80;
inline constexpr Status kErrDiskFull = 112;
inline constexpr Status kErrReadBeyondEnd = 38;  // ERROR_HANDLE_EOF

// A member's time stamp as the archive carries it.
struct DosDateTime {
  std::uint16_t date = 0;  // bits 15-9 year - 1980, 8-5 month, 4-0 day
  std::uint16_t time = 0;  // bits 15-11 hour, 10-5 minute, 4-0 seconds / 2
};

// An open output file: whatever the storage needs to find it again (a handle, a descriptor).
using OutputFile = std::uintptr_t;

class Storage {
 public:
  virtual ~Storage() = default;

  // True when the output operations (folders, outputs, removal, renaming) may run on several
  // threads at once, each thread on files of its own, while one other thread reads the archive.
  // A storage over a single-threaded service says false, and is written on the caller's thread.
  virtual bool ConcurrentOutput() const { return false; }

  // The archive, opened read-only for the whole extraction; a second open replaces the first.
  virtual Status OpenArchive(const std::string& path) = 0;
  virtual Status ArchiveSize(std::uint64_t& size) = 0;
  // Reads up to `size` bytes at `offset`; fewer (even 0) only at the end of the archive.
  virtual Status ReadArchive(std::uint64_t offset, void* buffer, std::size_t size,
                             std::size_t& done) = 0;
  virtual void CloseArchive() = 0;

  // Creates one folder whose parent exists; a folder already there is success.
  virtual Status CreateFolder(const std::string& path) = 0;

  // Creates a new output file, or fails with kErrFileExists when the name is taken.
  virtual Status CreateOutput(const std::string& path, OutputFile& file) = 0;
  // Writes all of `size` bytes or fails (a short write is a full disk).
  virtual Status WriteOutput(OutputFile file, const void* data, std::size_t size) = 0;
  virtual Status SetOutputTime(OutputFile file, DosDateTime stamp) = 0;
  // Closes the file whatever the result; a failure means its content cannot be trusted.
  virtual Status CloseOutput(OutputFile file) = 0;

  virtual Status RemoveFile(const std::string& path) = 0;
  // Gives `from` the name `to`, replacing a file of that name (a re-install) in one step where
  // the system can.
  virtual Status RenameOver(const std::string& from, const std::string& to) = 0;
};

}  // namespace unzip
