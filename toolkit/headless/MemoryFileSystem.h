// The headless backend's file system: an in-memory tree with Windows semantics (drive letters, one
// current folder kept as it was named, backslash paths with "." and "..", trailing dots and spaces
// dropped, names compared without regard to the case of a-z, read-only files, the sharing of open
// files, files locked by another program, missing drives). Tests fill it, read it back, and make
// any single operation fail with a chosen operating-system code to prove that no user file is lost
// whatever fails. The contract tests (tests/toolkit/contract/) hold it to the Win32 backend's
// answers under Wine.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/FileSystem.h"

namespace toolkit::headless {

enum class FsOp {
  kChangeDir,
  kCreateDir,
  kOpen,
  kRead,
  kWrite,
  kSize,
  kSeek,
  kSetTime,
  kClose,
  kRename,
  kDelete,
  kRemoveDir,
  kFlush,
  kPin,
};

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // --- Set-up and inspection for tests -------------------------------------------------------
  // Back to one empty drive C: whose root is current, program path c:\install.exe, the
  // application-data folders c:\Users\user\AppData\Roaming (not created) and ...\Local
  // (created, as the system makes it with the profile), no faults.
  void Reset();
  void AddDrive(char letter);
  void MakeDirs(const std::string& path);  // absolute; creates every missing folder
  void PutFile(const std::string& path, const std::string& content);  // creates parents too
  std::optional<std::string> FileContent(const std::string& path) const;
  // The names in a folder as they were created (original capitalisation), folders with a
  // trailing backslash, sorted without regard to case. Empty for a missing folder.
  std::vector<std::string> List(const std::string& folder) const;
  // Every file under a folder, as absolute paths with original capitalisation, with contents.
  std::map<std::string, std::string> Snapshot(const std::string& folder = "c:\\") const;
  void SetReadOnly(const std::string& path, bool readOnly);
  // A file held open by another program without sharing: opening it fails with 32.
  void SetLocked(const std::string& path, bool locked);
  // A folder whose access list lets this user read and run what it holds, and nothing more:
  // creating, deleting or renaming anything in it or below it fails with 5 (another user's).
  void SetOthersOnly(const std::string& folder, bool othersOnly);
  void SetProgramPath(const std::string& path) { programPath_ = path; }
  // Empty for a system without the folder.
  void SetAppDataDir(const std::string& path) { appDataDir_ = path; }
  void SetLocalAppDataDir(const std::string& path) { localAppDataDir_ = path; }
  // c:\Program Files (not created) until set.
  void SetMachineDir(MachineFolder which, const std::string& path) { machineDirs_[which] = path; }
  std::optional<DosDateTime> FileTime(const std::string& path) const;
  // The access list SetFolderAccess gave the folder; nothing for one that keeps its parent's.
  std::optional<FolderAccess> AccessOf(const std::string& path) const;
  // Makes an existing folder or file a junction or symbolic link, as far as access lists go.
  void MarkLink(const std::string& path);
  // Puts a junction at `path` (its folder exists) that leads to the absolute folder `target`.
  void MakeLink(const std::string& path, const std::string& target);
  int OpenFileCount() const;

  // Makes the next call of `op` after `skip` further calls fail with `code` (one shot).
  void FailNext(FsOp op, std::uint32_t code, int skip = 0);
  // Makes every call of `op` on `path` fail with `code` until cleared with code 0.
  void FailOnPath(FsOp op, const std::string& path, std::uint32_t code);
  // Total bytes that files may hold on drive C:; writes beyond fail with 112 (disk full). Without
  // a capacity a drive has a terabyte free.
  void SetCapacity(std::uint64_t bytes) { capacity_ = bytes; }
  int CallCount(FsOp op) const;
  void ClearFaults();

  // --- FileSystem ------------------------------------------------------------------------------
  std::string CurrentDir() override;
  std::uint32_t ChangeDir(const std::string& path) override;
  std::uint32_t CreateDir(const std::string& path) override;
  std::uint32_t RemoveDir(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  bool DirExists(const std::string& path) override;
  std::vector<std::string> FileNames(const std::string& folder) override;
  std::string ProgramPath() override { return programPath_; }
  std::string AppDataDir() override { return appDataDir_; }
  std::string LocalAppDataDir() override { return localAppDataDir_; }
  std::string MachineDir(MachineFolder which) override { return machineDirs_[which]; }
  std::uint32_t Open(const std::string& path, OpenMode mode, FileId& file) override;
  std::uint32_t Read(FileId file, void* buffer, std::size_t size, std::size_t& done) override;
  std::uint32_t Write(FileId file, const void* data, std::size_t size) override;
  std::uint32_t Size(FileId file, std::uint64_t& size) override;
  std::uint32_t Seek(FileId file, std::uint64_t position) override;
  std::uint32_t SetTime(FileId file, DosDateTime stamp) override;
  std::uint32_t Close(FileId file) override;
  std::uint32_t Flush(FileId file) override;
  std::uint32_t Rename(const std::string& from, const std::string& to) override;
  std::uint32_t Delete(const std::string& path) override;
  std::uint32_t FreeSpace(const std::string& path, std::uint64_t& bytes) override;
  std::uint32_t SetFolderAccess(const std::string& path, FolderAccess access) override;
  std::uint32_t CreatePrivateDir(const std::string& path) override;
  PathKind KindOf(const std::string& path) override;
  bool HoldsLink(const std::string& folder) override;
  std::uint32_t PinFolder(const std::string& folder, std::unique_ptr<Pin>& pin) override;

  struct Node;  // a file or a folder

 private:
  struct OpenFile;
  struct Fault;

  std::uint32_t Injected(FsOp op, const std::string& path);
  // Splits an absolute or relative path into a drive and normalised components.
  bool Resolve(const std::string& path, char& drive, std::vector<std::string>& parts) const;
  // The node `path` names (its last part met as it is, a link as a link), or with `parentOnly`
  // the folder that holds it (links on the way gone through); `depth` counts links followed.
  Node* Walk(const std::string& path, bool parentOnly, int depth) const;
  // The node a link leads to, through every link in a row; the node itself when it is none.
  Node* Follow(Node* node, int depth) const;
  Node* Find(const std::string& path) const;
  // The entry `path` names, with its folder and its key there; the code of what is missing.
  std::uint32_t FindEntry(const std::string& path, Node*& parent, Node*& node,
                          std::string& key) const;
  Node* FindParent(const std::string& path, std::string& leaf, std::uint32_t& error) const;
  std::uint64_t UsedBytes() const;
  // Held by a handle of the service or by another program (locked): none shares deletion.
  bool IsOpen(const Node* node) const;
  // Whether the entry at `path` lies in a folder this user may only read (SetOthersOnly).
  bool ChangeDenied(const std::string& path) const;

  std::map<char, std::unique_ptr<Node>> drives_;
  // One current folder for the program, as Windows keeps it: a drive and a path on it, "\" or
  // "\a\b", spelled as they were entered.
  char currentDrive_ = 'c';  // folded, as drives_ is keyed
  char currentDriveAsNamed_ = 'C';
  std::string currentPath_ = "\\";
  std::string programPath_;
  std::string appDataDir_;
  std::string localAppDataDir_;
  std::map<MachineFolder, std::string> machineDirs_;
  std::map<FileId, std::unique_ptr<OpenFile>> open_;
  FileId nextId_ = 1;
  std::vector<Fault> faults_;
  std::map<FsOp, int> calls_;
  std::optional<std::uint64_t> capacity_;
};

// The instance behind toolkit::Fs() in the headless backend.
MemoryFileSystem& MemFs();

// Puts another file system behind toolkit::Fs() (a benchmark's real files); nullptr restores
// MemFs().
void SetFileSystem(FileSystem* fileSystem);

}  // namespace toolkit::headless
