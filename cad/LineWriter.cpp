#include "cad/LineWriter.h"

#include "toolkit/Crc32.h"

namespace cad {
namespace {
constexpr std::size_t kBufferSize = 64 * 1024;

}  // namespace

LineWriter::LineWriter(toolkit::fs::File& file) : file_(file) { pending_.reserve(kBufferSize); }

void LineWriter::WriteLine(std::string_view line, LineEnd end) {
  ++lines_;
  if (copyPending_) {
    copyPending_ = false;
  } else {
    inserted_.push_back({lines_, std::string(line)});
  }
  pending_.append(line);
  pending_.append(LineEndText(end));
  if (pending_.size() >= kBufferSize) Flush();
}

void LineWriter::Flush() {
  if (pending_.empty()) return;
  file_.Write(pending_.data(), pending_.size());
  written_.size += pending_.size();
  written_.crc = toolkit::Crc32(written_.crc, pending_.data(), pending_.size());
  pending_.clear();
}

}  // namespace cad
