#include "unzip/Reporter.h"

#include <algorithm>
#include <cstring>

namespace unzip {

Reporter::Reporter(const UnzipParams& params) : callback_(params.Callback) {
  info_.StructSize = sizeof info_;
  info_.Caller = params.Caller;
}

bool Reporter::Call(std::int32_t code) {
  if (!callback_) return true;
  info_.ActionCode = code;
  return callback_(&info_) == 0;
}

bool Reporter::FileStarts(std::string_view name, std::uint64_t size) {
  const std::size_t length = std::min<std::size_t>(name.size(), UNZIP_MAX_NAME);
  std::memcpy(info_.FileName, name.data(), length);
  info_.FileName[length] = '\0';
  // The record has 32 bits for the size; the caller reads 2 GiB and more as negative.
  info_.FileSize = std::int32_t(std::uint32_t(size));
  info_.BytesWritten = 0;
  stepsReported_ = 0;
  return Call(kUnzipActionFileStarts);
}

bool Reporter::Written(std::uint64_t total) {
  info_.BytesWritten = std::uint32_t(total);
  for (const std::uint64_t steps = total / UNZIP_PROGRESS_STEP; stepsReported_ < steps;) {
    ++stepsReported_;
    if (!Call(kUnzipActionProgress)) return false;
  }
  return true;
}

void Reporter::End() {
  info_.FileName[0] = '\0';
  info_.FileSize = 0;
  info_.BytesWritten = 0;
  Call(kUnzipActionEnd);
}

}  // namespace unzip
