// MemberDecoder turns one member's stored bytes into its content: copied for stored members,
// inflated with zlib for deflated ones, and checked against the sizes and CRC-32 of the central
// directory. The content leaves in large blocks through an OutputSink; the decoder never holds
// more than one block, whatever the member claims to be.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "unzip/ArchiveWindow.h"
#include "unzip/Directory.h"

namespace unzip {

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // False ends the member: the sink failed or was asked to stop, and knows which.
  virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
};

enum class DecodeResult {
  kDone,        // all content written; sizes and CRC-32 agree with the directory
  kCorrupt,     // bad deflate data, wrong size or wrong CRC-32: the content must be discarded
  kTruncated,   // the archive ended (or could not be read) inside the member's data
  kSinkStopped  // OutputSink::Write returned false
};

class MemberDecoder {
 public:
  // Blocks handed to the sink are this big (except the last of a member).
  static constexpr std::size_t kBlockSize = 256 * 1024;

  MemberDecoder();
  ~MemberDecoder();
  MemberDecoder(const MemberDecoder&) = delete;
  MemberDecoder& operator=(const MemberDecoder&) = delete;

  // Only for kMethodStored and kMethodDeflated.
  DecodeResult Decode(ArchiveWindow& window, const Member& member, std::uint64_t dataOffset,
                      OutputSink& sink);

 private:
  DecodeResult Copy(ArchiveWindow& window, const Member& member, std::uint64_t dataOffset,
                    OutputSink& sink);
  DecodeResult Inflate(ArchiveWindow& window, const Member& member, std::uint64_t dataOffset,
                       OutputSink& sink);

  z_stream stream_{};
  bool streamReady_ = false;
  std::vector<std::uint8_t> block_;
};

}  // namespace unzip
