#include "tests/support/ToolkitStorage.h"

#include "toolkit/Utf8.h"

namespace unzip {
namespace {

// A member's path as the toolkit names files: the library's names are code page 1252, the
// toolkit's UTF-8, as INSTALL.DLL turns them into the wide names of the NT family.
std::string WindowsPath(const std::string& path) {
  std::string result = toolkit::Utf8FromCp1252(path);
  for (char& c : result) {
    if (c == '/') c = '\\';
  }
  return result;
}

}  // namespace

ToolkitStorage::~ToolkitStorage() { CloseArchive(); }

Status ToolkitStorage::OpenArchive(const std::string& path) {
  CloseArchive();
  return fs_.Open(path, toolkit::OpenMode::kRead, archive_);
}

Status ToolkitStorage::ArchiveSize(std::uint64_t& size) { return fs_.Size(archive_, size); }

Status ToolkitStorage::ReadArchive(std::uint64_t offset, void* buffer, std::size_t size,
                                   std::size_t& done) {
  done = 0;
  if (const Status status = fs_.Seek(archive_, offset); status != kOk) return status;
  return fs_.Read(archive_, buffer, size, done);
}

void ToolkitStorage::CloseArchive() {
  if (archive_ != 0) fs_.Close(archive_);
  archive_ = 0;
}

Status ToolkitStorage::CreateFolder(const std::string& path) {
  const std::string native = WindowsPath(path);
  const Status status = fs_.CreateDir(native);
  return status == kOk || fs_.DirExists(native) ? kOk : status;
}

Status ToolkitStorage::CreateOutput(const std::string& path, OutputFile& file) {
  const std::string native = WindowsPath(path);
  // The service only knows "create or empty"; the extractor must never empty a file it did not
  // make.
  if (fs_.FileExists(native) || fs_.DirExists(native)) return kErrFileExists;
  toolkit::FileId id = 0;
  const Status status = fs_.Open(native, toolkit::OpenMode::kCreate, id);
  file = id;
  return status;
}

Status ToolkitStorage::WriteOutput(OutputFile file, const void* data, std::size_t size) {
  return fs_.Write(toolkit::FileId(file), data, size);
}

Status ToolkitStorage::SetOutputTime(OutputFile file, DosDateTime stamp) {
  return fs_.SetTime(toolkit::FileId(file), toolkit::DosDateTime{stamp.date, stamp.time});
}

Status ToolkitStorage::CloseOutput(OutputFile file) { return fs_.Close(toolkit::FileId(file)); }

Status ToolkitStorage::RemoveFile(const std::string& path) { return fs_.Delete(WindowsPath(path)); }

Status ToolkitStorage::RenameOver(const std::string& from, const std::string& to) {
  const std::string source = WindowsPath(from);
  const std::string target = WindowsPath(to);
  if (fs_.FileExists(target)) {
    if (const Status status = fs_.Delete(target); status != kOk) return status;
  }
  return fs_.Rename(source, target);
}

}  // namespace unzip
