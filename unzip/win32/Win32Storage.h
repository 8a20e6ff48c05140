// Win32Storage is the extractor's storage inside INSTALL.DLL: Win32 file calls, with output paths
// relative to the process's current folder, which the installer sets to the target folder before
// it calls the library; the folder is taken as it is when the storage is made. On the NT family
// the wide calls, so that the folder and the archive may have any name; on Windows 9x the ANSI
// ones, and only calls present since Windows 95 are relied on. Each output is a handle of its own
// and nothing else is changed after construction, so the DLL's writer threads share one storage.
#pragma once

#include <windows.h>

#include <string>

#include "unzip/OwnedHandle.h"
#include "unzip/Storage.h"

namespace unzip {

namespace win32 {
inline void CloseFile(HANDLE handle) { ::CloseHandle(handle); }
using File = OwnedHandle<HANDLE, CloseFile>;
// CreateFile fails with INVALID_HANDLE_VALUE, which is no constant a template can hold; the
// owner keeps null for "no file" instead.
inline HANDLE OrNull(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }
}  // namespace win32

class Win32Storage : public Storage {
 public:
  // `utf8ArchiveName`: the archive's path is UTF-8 (else the ANSI code page's).
  explicit Win32Storage(bool utf8ArchiveName = false);

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
  // An output path as Win32 takes it: below the current folder, with backslashes.
  std::string WindowsPath(const std::string& path) const;
  std::wstring WidePath(const std::string& path) const;

  bool nt_;
  bool utf8ArchiveName_;
  // The current folder, spelt as on the disk, or empty for paths relative to it: in the form the
  // system's calls take (wide on the NT family).
  std::string outputFolder_;
  std::wstring outputFolderWide_;
  win32::File archive_;
};

}  // namespace unzip
