#include "unzip/MemberDecoder.h"

#include <algorithm>

#include "unzip/Crc32.h"

namespace unzip {
namespace {

// zlib counts in uInt; a piece of input never exceeds this, whatever the member's size.
constexpr std::size_t kMaxPiece = 1u << 30;

}  // namespace

MemberDecoder::MemberDecoder() : block_(kBlockSize) {
  // Raw deflate: the archive has no zlib header. One stream serves every member (reset between
  // them), which matters for archives of thousands of small files.
  streamReady_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK;
}

MemberDecoder::~MemberDecoder() {
  if (streamReady_) inflateEnd(&stream_);
}

DecodeResult MemberDecoder::Decode(ArchiveWindow& window, const Member& member,
                                   std::uint64_t dataOffset, OutputSink& sink) {
  if (member.method == kMethodStored) return Copy(window, member, dataOffset, sink);
  return Inflate(window, member, dataOffset, sink);
}

DecodeResult MemberDecoder::Copy(ArchiveWindow& window, const Member& member,
                                 std::uint64_t dataOffset, OutputSink& sink) {
  if (member.compressedSize != member.size) return DecodeResult::kCorrupt;
  std::uint32_t crc = 0;
  std::uint64_t left = member.size;
  std::uint64_t at = dataOffset;
  while (left > 0) {
    const auto piece = window.Peek(at, std::size_t(std::min<std::uint64_t>(left, kMaxPiece)));
    if (piece.empty()) return DecodeResult::kTruncated;
    crc = Crc32(crc, piece.data(), piece.size());
    if (!sink.Write(piece.data(), piece.size())) return DecodeResult::kSinkStopped;
    at += piece.size();
    left -= piece.size();
  }
  return crc == member.crc ? DecodeResult::kDone : DecodeResult::kCorrupt;
}

DecodeResult MemberDecoder::Inflate(ArchiveWindow& window, const Member& member,
                                    std::uint64_t dataOffset, OutputSink& sink) {
  if (!streamReady_ || inflateReset(&stream_) != Z_OK) return DecodeResult::kCorrupt;
  // A member that failed half-way left input behind, pointing into a window since refilled.
  stream_.next_in = nullptr;
  stream_.avail_in = 0;
  std::uint32_t crc = 0;
  std::uint64_t inputLeft = member.compressedSize;
  std::uint64_t inputAt = dataOffset;
  std::uint64_t produced = 0;

  for (;;) {
    stream_.next_out = block_.data();
    stream_.avail_out = uInt(block_.size());
    int status = Z_OK;
    // Fill one block straight from the window's buffer. With the input used up, inflate still
    // runs: it may hold the last bits itself, and says Z_BUF_ERROR when it cannot go on.
    while (stream_.avail_out > 0 && status == Z_OK) {
      if (stream_.avail_in == 0 && inputLeft > 0) {
        const auto piece =
            window.Peek(inputAt, std::size_t(std::min<std::uint64_t>(inputLeft, kMaxPiece)));
        if (piece.empty()) return DecodeResult::kTruncated;
        // zlib takes a non-const pointer but never writes through next_in.
        stream_.next_in = const_cast<Bytef*>(piece.data());
        stream_.avail_in = uInt(piece.size());
        inputAt += piece.size();
        inputLeft -= piece.size();
      }
      status = inflate(&stream_, Z_NO_FLUSH);
    }
    // Z_BUF_ERROR here means the data ended with the deflate stream still open.
    if (status != Z_OK && status != Z_STREAM_END) return DecodeResult::kCorrupt;
    const std::size_t got = block_.size() - stream_.avail_out;
    // More than the directory promised: refuse before a byte of the excess reaches the disk.
    if (got > member.size - produced) return DecodeResult::kCorrupt;
    if (got > 0) {
      crc = Crc32(crc, block_.data(), got);
      produced += got;
      if (!sink.Write(block_.data(), got)) return DecodeResult::kSinkStopped;
    }
    if (status == Z_STREAM_END) break;
  }
  if (produced != member.size || crc != member.crc) return DecodeResult::kCorrupt;
  return DecodeResult::kDone;
}

}  // namespace unzip
