#include "unzip/ArchiveWindow.h"

#include <algorithm>
#include <cstring>

namespace unzip {

ArchiveWindow::ArchiveWindow(Storage& storage, std::uint64_t archiveSize, std::size_t capacity)
    : storage_(storage), size_(archiveSize), buffer_(capacity) {}

bool ArchiveWindow::Fill(std::uint64_t offset) {
  length_ = 0;
  start_ = offset;
  if (offset >= size_) return false;
  const std::size_t want = std::size_t(std::min<std::uint64_t>(buffer_.size(), size_ - offset));
  // A storage may return fewer bytes than asked (a pipe, a network share): keep reading.
  while (length_ < want) {
    std::size_t done = 0;
    const Status status =
        storage_.ReadArchive(offset + length_, buffer_.data() + length_, want - length_, done);
    if (status != kOk) {
      error_ = status;
      break;
    }
    if (done == 0) {
      // The archive shrank under us; what was read is still good.
      error_ = kErrReadBeyondEnd;
      break;
    }
    length_ += done;
  }
  return length_ > 0;
}

std::span<const std::uint8_t> ArchiveWindow::Peek(std::uint64_t offset, std::size_t maxSize) {
  if (offset < start_ || offset >= start_ + length_) {
    if (!Fill(offset)) return {};
  }
  const std::size_t skip = std::size_t(offset - start_);
  return {buffer_.data() + skip, std::min(maxSize, length_ - skip)};
}

bool ArchiveWindow::ReadExact(std::uint64_t offset, void* dest, std::size_t size) {
  auto* out = static_cast<std::uint8_t*>(dest);
  while (size > 0) {
    const auto piece = Peek(offset, size);
    if (piece.empty()) return false;
    std::memcpy(out, piece.data(), piece.size());
    out += piece.size();
    offset += piece.size();
    size -= piece.size();
  }
  return true;
}

}  // namespace unzip
