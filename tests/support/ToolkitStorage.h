// ToolkitStorage runs the extractor over the toolkit's file system service, so the headless
// installer extracts packages into its in-memory file system exactly as INSTALL.DLL does into the
// real one, current folder included. Paths get Windows backslashes; a rename that would replace a
// file deletes the old one first, since the service's rename never replaces. The service belongs to
// the user-interface thread, so the extractor writes through this storage on the caller's thread.
#pragma once

#include "toolkit/FileSystem.h"
#include "unzip/Storage.h"

namespace unzip {

class ToolkitStorage : public Storage {
 public:
  explicit ToolkitStorage(toolkit::FileSystem& fileSystem) : fs_(fileSystem) {}
  ~ToolkitStorage() override;
  ToolkitStorage(const ToolkitStorage&) = delete;
  ToolkitStorage& operator=(const ToolkitStorage&) = delete;

  Status OpenArchive(const std::string& path) override;
  Status ArchiveSize(std::uint64_t& size) override;
  Status ReadArchive(std::uint64_t offset, void* buffer, std::size_t size,
                     std::size_t& done) override;
  void CloseArchive() override;

  Status CreateFolder(const std::string& path) override;
  Status CreateOutput(const std::string& path, OutputFile& file) override;
  Status WriteOutput(OutputFile file, const void* data, std::size_t size) override;
  Status SetOutputTime(OutputFile file, DosDateTime stamp) override;
  Status CloseOutput(OutputFile file) override;
  Status RemoveFile(const std::string& path) override;
  Status RenameOver(const std::string& from, const std::string& to) override;

 private:
  toolkit::FileSystem& fs_;
  toolkit::FileId archive_ = 0;
};

}  // namespace unzip
