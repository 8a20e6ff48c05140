// The file-system service: the process's current folder, folders, files and the running program's
// path, with Windows semantics in both backends (drive letters, backslashes, names compared without
// regard to the case of a-z). Every operation reports the operating-system error code (0 = done).
//
// On top of the service sit the two forms the installer uses: a *checked* operation raises
// EInOutError at once; an *unchecked* one records the code, which the caller fetches and clears
// with IoResult().
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace toolkit {

// Operating-system error codes the installer meets by name.
inline constexpr std::uint32_t kErrFileNotFound = 2;
inline constexpr std::uint32_t kErrPathNotFound = 3;
inline constexpr std::uint32_t kErrTooManyOpenFiles = 4;
inline constexpr std::uint32_t kErrAccessDenied = 5;
inline constexpr std::uint32_t kErrInvalidHandle = 6;
inline constexpr std::uint32_t kErrNotReady = 21;
inline constexpr std::uint32_t kErrSharingViolation = 32;
inline constexpr std::uint32_t kErrLockViolation = 33;
inline constexpr std::uint32_t kErrHandleDiskFull = 39;
inline constexpr std::uint32_t kErrFileExists = 80;
inline constexpr std::uint32_t kErrInvalidName = 123;
inline constexpr std::uint32_t kErrAlreadyExists = 183;
inline constexpr std::uint32_t kErrDiskFull = 112;
inline constexpr std::uint32_t kErrDirNotEmpty = 145;
// A junction or symbolic link: the request would have gone through it to another place.
inline constexpr std::uint32_t kErrLinkInTheWay = 4395;
// The run-time library's own codes, as its input/output error reports them.
inline constexpr std::uint32_t kErrReadBeyondEnd = 100;
inline constexpr std::uint32_t kErrRtlDiskFull = 101;

using FileId = std::uintptr_t;  // opaque; 0 is never a valid open file

enum class OpenMode {
  kReadWrite,  // an existing file, read and written, shared as an editor would leave it
  kRead,       // an existing file, read only
  kCreate,     // create or empty, write only
};

// Who may change a folder and what it holds. The product's folder: the system, administrators and
// the user who installs it; every other user may read and run what it holds, but neither change
// it nor add to it. A shared folder (the users' own parts): every user may change it too. The
// machine's folder (an installation for every user): the system and administrators alone, who
// also own it and everything it already holds, so that no user who made any of it before keeps
// the owner's right to hand himself write access again.
enum class FolderAccess { kProduct, kShared, kMachine };

// The machine's own folders, shared by every user.
enum class MachineFolder {
  // Program Files as 64-bit programs have it (where AutoCAD 2020 and later, all 64-bit, read the
  // machine's application bundles); on 32-bit Windows the one Program Files there is.
  kProgramFiles,
};

// A file's time stamp as MS-DOS date and time, which is how archive members carry theirs.
struct DosDateTime {
  std::uint16_t date = 0;
  std::uint16_t time = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual std::string CurrentDir() = 0;
  // The folder is kept as it was named, drive letter included, not as the disk spells it. "c:"
  // alone names the current folder when C: is the current drive, and the root of C: otherwise:
  // like Windows, the service keeps no current folder per drive.
  virtual std::uint32_t ChangeDir(const std::string& path) = 0;
  virtual std::uint32_t CreateDir(const std::string& path) = 0;
  // Removes an empty folder.
  virtual std::uint32_t RemoveDir(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirExists(const std::string& path) = 0;
  // The names of the files in a folder, not of its subfolders, and each file's short (8.3)
  // name where the system gives one: every name FileExists would find there. Empty for a missing
  // folder. One listing tells which of many names a folder holds, where a FileExists for each
  // would search the folder each time.
  virtual std::vector<std::string> FileNames(const std::string& folder) = 0;
  virtual std::string ProgramPath() = 0;
  // The current user's roaming application-data folder (%APPDATA%), where AutoCAD 2012 and later
  // look for per-user application bundles; empty when the system has none (Windows 9x).
  virtual std::string AppDataDir() = 0;
  // A folder of the machine's; empty where the system has none.
  virtual std::string MachineDir(MachineFolder which) = 0;

  virtual std::uint32_t Open(const std::string& path, OpenMode mode, FileId& file) = 0;
  virtual std::uint32_t Read(FileId file, void* buffer, std::size_t size, std::size_t& done) = 0;
  // A short write is reported as a full disk.
  virtual std::uint32_t Write(FileId file, const void* data, std::size_t size) = 0;
  virtual std::uint32_t Size(FileId file, std::uint64_t& size) = 0;
  virtual std::uint32_t Seek(FileId file, std::uint64_t position) = 0;
  virtual std::uint32_t SetTime(FileId file, DosDateTime stamp) = 0;
  virtual std::uint32_t Close(FileId file) = 0;
  // Returns once what was written to the file is on the disk, not only in the system's cache.
  virtual std::uint32_t Flush(FileId file) = 0;
  // Never replaces an existing file: that is kErrAlreadyExists (or kErrFileExists). Where the
  // system can, the rename is on the disk when the call returns.
  virtual std::uint32_t Rename(const std::string& from, const std::string& to) = 0;
  virtual std::uint32_t Delete(const std::string& path) = 0;
  // The bytes the current user may still write on the drive that holds `path` (an existing
  // folder).
  virtual std::uint32_t FreeSpace(const std::string& path, std::uint64_t& bytes) = 0;
  // Gives the folder an access list of its own, no longer the one of the folder above it, which
  // what it holds inherits (kMachine: every folder and file it already holds drops a list of its
  // own and takes the administrators as owner). 0 also where the system keeps none (Windows 9x).
  // kMachine never acts through a link: a folder that is one, or holds one at any depth, is
  // kErrLinkInTheWay, with nothing changed.
  virtual std::uint32_t SetFolderAccess(const std::string& path, FolderAccess access) = 0;
};

// The service of the backend this program is linked with.
FileSystem& Fs();

namespace fs {

enum class Check { kRaise, kRecord };

// Fetches and clears the code recorded by the last unchecked operation that failed.
std::uint32_t IoResult();

// One path operation in its checked (kRaise) or unchecked (kRecord) form.
void ChDir(const std::string& path, Check check = Check::kRaise);
void MkDir(const std::string& path, Check check = Check::kRaise);

// Raises EInOutError for a non-zero code, or records it, as the check asks.
void Report(std::uint32_t code, Check check);

// An open file that closes itself. Each operation is checked or unchecked like the path ones;
// an unchecked failure leaves the file as it was and records the code.
class File {
 public:
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  ~File();

  void Open(const std::string& path, OpenMode mode, Check check = Check::kRaise);
  // Returns the number of bytes read; 0 at the end of the file.
  std::size_t Read(void* buffer, std::size_t size, Check check = Check::kRaise);
  void Write(const void* data, std::size_t size, Check check = Check::kRaise);
  void Write(const std::string& text, Check check = Check::kRaise) {
    Write(text.data(), text.size(), check);
  }
  std::uint64_t Size(Check check = Check::kRaise);
  void Seek(std::uint64_t position, Check check = Check::kRaise);
  // What was written is on the disk when this returns.
  void Flush(Check check = Check::kRaise);
  void Close(Check check = Check::kRaise);
  bool IsOpen() const { return id_ != 0; }

 private:
  FileId id_ = 0;
};

void Rename(const std::string& from, const std::string& to, Check check = Check::kRaise);
void Erase(const std::string& path, Check check = Check::kRaise);
void RmDir(const std::string& path, Check check = Check::kRaise);

// The path without one final backslash.
std::string StripTrailingBackslash(const std::string& path);
// `folder` and `name` joined by one backslash.
std::string JoinPath(const std::string& folder, const std::string& name);
// A name folded the way Windows compares names: the letters A to Z as a to z, nothing else.
std::string FoldCase(std::string name);

}  // namespace fs
}  // namespace toolkit
