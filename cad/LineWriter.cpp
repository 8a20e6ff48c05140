#include "cad/LineWriter.h"

namespace cad {
namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}  // namespace

LineWriter::LineWriter(toolkit::fs::File& file) : file_(file) { pending_.reserve(kBufferSize); }

void LineWriter::WriteLine(std::string_view line) {
  ++written_;
  if (copyPending_) {
    copyPending_ = false;
  } else {
    inserted_.push_back({written_, std::string(line)});
  }
  pending_.append(line);
  pending_.append("\r\n");
  if (pending_.size() >= kBufferSize) Flush();
}

void LineWriter::Flush() {
  if (pending_.empty()) return;
  file_.Write(pending_.data(), pending_.size());
  pending_.clear();
}

}  // namespace cad
