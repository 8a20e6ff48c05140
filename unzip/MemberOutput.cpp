#include "unzip/MemberOutput.h"

namespace unzip {
namespace {

// Temporary names are tried in turn until one is free, so neither a member of the same name nor
// a file left by an interrupted installation is ever overwritten by a temporary file; two writer
// threads in one folder never share one either, since creation fails on a taken name.
constexpr int kTempNameTries = 100;

}  // namespace

Status MemberOutput::Create(const std::string& path) {
  Discard();
  path_ = path;
  temp_.clear();
  Status status = storage_.CreateOutput(path, file_);
  if (status == kOk) {
    open_ = true;
    return kOk;
  }
  const std::size_t slash = path.rfind('/');
  for (int i = 0; i < kTempNameTries; ++i) {
    temp_.assign(path, 0, slash == std::string::npos ? 0 : slash + 1);
    temp_ += "~unzip";
    // Two digits at most; std::to_string would drag printf into the DLL.
    if (i >= 10) temp_ += char('0' + i / 10);
    temp_ += char('0' + i % 10);
    temp_ += ".tmp";
    status = storage_.CreateOutput(temp_, file_);
    if (status != kErrFileExists) break;
  }
  if (status != kOk) {
    temp_.clear();
    return status;
  }
  open_ = true;
  return kOk;
}

Status MemberOutput::Write(const void* data, std::size_t size) {
  return storage_.WriteOutput(file_, data, size);
}

Status MemberOutput::Finish(DosDateTime stamp) {
  // A date the file system cannot hold is no reason to lose the file.
  storage_.SetOutputTime(file_, stamp);
  open_ = false;
  const std::string& written = temp_.empty() ? path_ : temp_;
  if (const Status status = storage_.CloseOutput(file_); status != kOk) {
    storage_.RemoveFile(written);
    return status;
  }
  if (temp_.empty()) return kOk;
  if (const Status status = storage_.RenameOver(temp_, path_); status != kOk) {
    storage_.RemoveFile(temp_);
    return status;
  }
  return kOk;
}

void MemberOutput::Discard() {
  if (!open_) return;
  open_ = false;
  storage_.CloseOutput(file_);
  storage_.RemoveFile(temp_.empty() ? path_ : temp_);
}

}  // namespace unzip
