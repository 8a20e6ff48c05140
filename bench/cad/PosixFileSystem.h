// A FileSystem on the host's POSIX calls, for the benchmark only: it lets the real patchers run
// on real files (on tmpfs) so their speed can be compared with standard tools. Windows paths are
// taken as they come, with backslashes read as slashes; error numbers become the Windows codes
// the installer knows. A rename never replaces a file, as on Windows.
#pragma once

#include "toolkit/FileSystem.h"

namespace cad::bench {

class PosixFileSystem : public toolkit::FileSystem {
 public:
  std::string CurrentDir() override;
  std::uint32_t ChangeDir(const std::string& path) override;
  std::uint32_t CreateDir(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  bool DirExists(const std::string& path) override;
  std::vector<std::string> FileNames(const std::string& folder) override;
  std::string ProgramPath() override;
  // The benchmark patches files where it is told; it has no per-user folder.
  std::string AppDataDir() override { return {}; }
  std::uint32_t Open(const std::string& path, toolkit::OpenMode mode,
                     toolkit::FileId& file) override;
  std::uint32_t Read(toolkit::FileId file, void* buffer, std::size_t size,
                     std::size_t& done) override;
  std::uint32_t Write(toolkit::FileId file, const void* data, std::size_t size) override;
  std::uint32_t Size(toolkit::FileId file, std::uint64_t& size) override;
  std::uint32_t Seek(toolkit::FileId file, std::uint64_t position) override;
  std::uint32_t SetTime(toolkit::FileId file, toolkit::DosDateTime stamp) override;
  std::uint32_t Close(toolkit::FileId file) override;
  std::uint32_t Rename(const std::string& from, const std::string& to) override;
  std::uint32_t Delete(const std::string& path) override;
  std::uint32_t RemoveDir(const std::string& path) override;
  std::uint32_t Flush(toolkit::FileId file) override;
  std::uint32_t FreeSpace(const std::string& path, std::uint64_t& bytes) override;
  // The benchmark's folders keep the access POSIX gave them.
  std::uint32_t SetFolderAccess(const std::string&, toolkit::FolderAccess) override { return 0; }
  std::string MachineDir(toolkit::MachineFolder) override { return {}; }
  std::string LocalAppDataDir() override { return {}; }
  std::uint32_t CreatePrivateDir(const std::string& path) override { return CreateDir(path); }
  // The benchmark makes no links: what stands is a file or a folder.
  toolkit::PathKind KindOf(const std::string& path) override {
    return DirExists(path)    ? toolkit::PathKind::kFolder
           : FileExists(path) ? toolkit::PathKind::kFile
                              : toolkit::PathKind::kNone;
  }
  bool HoldsLink(const std::string&) override { return false; }
  std::uint32_t PinFolder(const std::string&, std::unique_ptr<Pin>& pin) override {
    pin = std::make_unique<Pin>();
    return 0;
  }
};

}  // namespace cad::bench
