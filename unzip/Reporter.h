// Reporter speaks the callback protocol of UnzipParams.Callback: code 1 when a file starts, one
// code 2 for every 32768 bytes of it written, however the writes were cut, and code 3 once at
// the end. It turns the callback's answer into a plain "go on / stop".
#pragma once

#include <cstdint>
#include <string_view>

#include "unzip/UnzipApi.h"

namespace unzip {

class Reporter {
 public:
  explicit Reporter(const UnzipParams& params);

  // False when the callback asks to stop.
  bool FileStarts(std::string_view name, std::uint64_t size);
  // `total` is the count of the current file's bytes written so far.
  bool Written(std::uint64_t total);
  void End();

 private:
  bool Call(std::int32_t code);

  UnzipCallback callback_;
  UnzipCallbackInfo info_{};
  std::uint64_t stepsReported_ = 0;
};

}  // namespace unzip
