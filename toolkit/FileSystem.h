// The file-system service: the process's current folder, folders, files and the running program's
// path, with Windows semantics in both backends (drive letters, backslashes, names compared without
// regard to the case of a-z). Every operation of the service reports the operating-system error
// code (0 = done).
//
// On top of the service sit the two forms the installer uses: a *checked* operation raises
// EInOutError at once; an *unchecked* one (named Try...) returns the code as an IoStatus, which
// the caller must look at: a failure nobody decides on shows where the code is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
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
// A name that is no disk file: a device (CON, COM1, NUL.TXT...) or the device namespace.
inline constexpr std::uint32_t kErrBadPathName = 161;
// The run-time library's own codes, as its input/output error reports them.
inline constexpr std::uint32_t kErrReadBeyondEnd = 100;
inline constexpr std::uint32_t kErrRtlDiskFull = 101;

using FileId = std::uintptr_t;  // opaque; 0 is never a valid open file

enum class OpenMode {
  kReadWrite,  // an existing file, read and written, shared as an editor would leave it
  kRead,       // an existing file, read only
  kCreate,     // create or empty, write only
  // Create, write only, where nothing of the name stands: a file, a folder or a link already
  // there is kErrFileExists, and nothing is written through it.
  kCreateNew,
};

// What a path names, looked at without going through a link at its end: a junction, a symbolic
// link or a mount point is kLink whatever it leads to.
enum class PathKind { kNone, kFile, kFolder, kLink };

// Who may change a folder and what it holds. The product's folder: the system, administrators and
// the user who installs it; every other user may read and run what it holds, but neither change
// it nor add to it. A shared folder (the users' own parts): every user may change it too. The
// machine's folder (an installation for every user): the system and administrators alone, who
// also own it and everything it already holds, so that no user who made any of it before keeps
// the owner's right to hand himself write access again. A private folder (a run's temporary
// one): the system, administrators and the current user alone, nobody else even to read.
enum class FolderAccess { kProduct, kShared, kMachine, kPrivate };

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
  // The current user's local application-data folder (%LOCALAPPDATA%), which only the user (and
  // the administrators) may write and which does not roam; empty when the system has none.
  virtual std::string LocalAppDataDir() = 0;
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
  // Creates a folder that only the current user, the system and the administrators may open,
  // whatever the folder above it lets others do; kErrAlreadyExists when anything of the name
  // stands. A plain folder where the system keeps no access lists (Windows 9x).
  virtual std::uint32_t CreatePrivateDir(const std::string& path) = 0;

  // What stands at `path`, without going through a link at its end.
  virtual PathKind KindOf(const std::string& path) = 0;
  // Whether `folder` is, or holds at any depth, a junction, a symbolic link or a mount point; what
  // lies behind a link is never looked at. A folder that cannot be listed in full counts as
  // holding one.
  virtual bool HoldsLink(const std::string& folder) = 0;

  // A folder held as it is: while the pin lives, nobody can rename or remove it, nor put a link
  // in its place, where the system allows holding a folder so (Windows NT); elsewhere the pin
  // holds nothing. The folder is opened without going through a link at its end.
  class Pin {
   public:
    virtual ~Pin() = default;
  };
  // Pins `folder`: 0 and the pin, or the code of the failed open.
  virtual std::uint32_t PinFolder(const std::string& folder, std::unique_ptr<Pin>& pin) = 0;
};

// The service of the backend this program is linked with.
FileSystem& Fs();

namespace fs {

// The outcome of an unchecked operation: the operating-system code, 0 when it was done. The
// caller must look at it; a failure that is meant to change nothing is passed to IgnoreFailure,
// which says so by name.
class [[nodiscard]] IoStatus {
 public:
  constexpr IoStatus() = default;
  constexpr explicit IoStatus(std::uint32_t code) : code_(code) {}
  constexpr bool Done() const { return code_ == 0; }
  constexpr bool Failed() const { return code_ != 0; }
  constexpr std::uint32_t Code() const { return code_; }
  // Raises EInOutError for a failure.
  void OrRaise() const;

  // What went wrong, as the installer tells failures apart; the codes stay in the toolkit.
  // A junction or symbolic link stood on the way, and was not gone through.
  constexpr bool IsLinkInTheWay() const { return code_ == kErrLinkInTheWay; }
  // Another program holds the file, or the system refuses it to this user (codes 5, 32, 33):
  // a change the user can make by hand once the file is free.
  constexpr bool IsHeld() const {
    return code_ == kErrAccessDenied || code_ == kErrSharingViolation ||
           code_ == kErrLockViolation;
  }
  constexpr bool IsAccessDenied() const { return code_ == kErrAccessDenied; }
  constexpr bool IsMissing() const {
    return code_ == kErrFileNotFound || code_ == kErrPathNotFound;
  }
  constexpr bool IsAlreadyThere() const {
    return code_ == kErrAlreadyExists || code_ == kErrFileExists;
  }
  constexpr bool IsNotEmpty() const { return code_ == kErrDirNotEmpty; }

 private:
  std::uint32_t code_ = 0;
};

// For a failure that leaves nothing for the caller to do (a stray temporary file that stays).
inline void IgnoreFailure(IoStatus) {}

// The path operations, checked (raising EInOutError) and unchecked.
void ChDir(const std::string& path);
void MkDir(const std::string& path);
void Rename(const std::string& from, const std::string& to);
void Erase(const std::string& path);
void RmDir(const std::string& path);
IoStatus TryChDir(const std::string& path);
IoStatus TryMkDir(const std::string& path);
IoStatus TryRename(const std::string& from, const std::string& to);
IoStatus TryErase(const std::string& path);
IoStatus TryRmDir(const std::string& path);

// An open file that closes itself. Each operation is checked (raising EInOutError) or, named
// Try..., unchecked; an unchecked failure leaves the file as it was.
class File {
 public:
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  ~File();

  void Open(const std::string& path, OpenMode mode);
  IoStatus TryOpen(const std::string& path, OpenMode mode);
  // Returns the number of bytes read; 0 at the end of the file.
  std::size_t Read(void* buffer, std::size_t size);
  IoStatus TryRead(void* buffer, std::size_t size, std::size_t& done);
  void Write(const void* data, std::size_t size);
  void Write(const std::string& text) { Write(text.data(), text.size()); }
  IoStatus TryWrite(const void* data, std::size_t size);
  IoStatus TryWrite(const std::string& text) { return TryWrite(text.data(), text.size()); }
  std::uint64_t Size();
  IoStatus TrySize(std::uint64_t& size);
  void Seek(std::uint64_t position);
  IoStatus TrySeek(std::uint64_t position);
  // What was written is on the disk when this returns.
  void Flush();
  IoStatus TryFlush();
  void Close();
  IoStatus TryClose();
  bool IsOpen() const { return id_ != 0; }

 private:
  FileId id_ = 0;
};

// `path` when nothing of the name stands, or else the first of "<stem>-2<extension>",
// "<stem>-3<extension>"... that is free: where a file of the run's own goes beside a user's file
// that must not be replaced. `path` itself when none of the first thousand is free.
std::string FreeName(const std::string& path);
// Whether `candidate` is a name FreeName could give for `path`, compared without case.
bool IsFreeNameOf(const std::string& candidate, const std::string& path);

// Whether `name` (one part of a path) names a device rather than a disk file: CON, PRN, AUX,
// NUL, COM0 to COM9, LPT0 to LPT9 (with the superscript digits too), CONIN$, CONOUT$, with or
// without an extension and trailing spaces. Opening one can hang a run on a serial port.
bool IsDeviceName(const std::string& name);

// Acts on paths below a folder that comes from a source the caller trusts, never through a link:
// each operation first holds every folder from the root down to the path's own (PinFolder) and
// checks that none of them, nor the path itself, is a junction, a symbolic link or a mount point,
// and that no part is a device name; a link met is refused (kErrLinkInTheWay), never followed or
// removed. The root itself is checked too, since a folder at the root of a drive may have been
// made by anyone. A path not below the root, or with "." or ".." parts, is kErrBadPathName.
class RootedPaths {
 public:
  explicit RootedPaths(std::string root);
  const std::string& Root() const { return root_; }

  // Holds the folders on the way to `path` and checks them and `path`; the pins live as long as
  // `pins`.
  IoStatus Check(const std::string& path,
                 std::vector<std::unique_ptr<FileSystem::Pin>>& pins) const;
  IoStatus Check(const std::string& path) const;
  PathKind KindOf(const std::string& path) const;
  IoStatus Erase(const std::string& path) const;
  IoStatus RmDir(const std::string& path) const;
  // Both paths below the root.
  IoStatus Rename(const std::string& from, const std::string& to) const;
  IoStatus Open(File& file, const std::string& path, OpenMode mode) const;

 private:
  std::string root_;
};

// The deepest folder that holds every one of `paths` (absolute paths, compared without case),
// with no final backslash but a drive's root's; empty when they share no drive or share.
std::string CommonFolder(std::initializer_list<std::string> paths);

// The path without one final backslash.
std::string StripTrailingBackslash(const std::string& path);
// `folder` and `name` joined by one backslash.
std::string JoinPath(const std::string& folder, const std::string& name);
// A name folded the way Windows compares names: the letters A to Z as a to z, nothing else.
std::string FoldCase(std::string name);

}  // namespace fs
}  // namespace toolkit
