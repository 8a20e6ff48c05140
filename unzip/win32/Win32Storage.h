// Win32Storage is the extractor's storage inside INSTALL.DLL: ANSI Win32 file calls, with output
// paths relative to the process's current folder, which the installer sets to the target folder
// before it calls the library; the folder is taken as it is when the storage is made. Only calls
// present since Windows 95 are relied on. Each output is a handle of its own and nothing else is
// changed after construction, so the DLL's writer threads share one storage.
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
  Win32Storage();

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

  // The current folder, spelt as on the disk, or empty for paths relative to it.
  std::string outputFolder_;
  win32::File archive_;
};

}  // namespace unzip
