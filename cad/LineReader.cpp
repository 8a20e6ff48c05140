#include "cad/LineReader.h"

namespace cad {
namespace {
// Large enough that a menu file of some megabytes is read in a few hundred requests.
constexpr std::size_t kBufferSize = 64 * 1024;
}  // namespace

LineReader::LineReader(toolkit::fs::File& file) : file_(file), buffer_(kBufferSize) {}

bool LineReader::Fill() {
  position_ = 0;
  end_ = file_.Read(buffer_.data(), buffer_.size());
  return end_ > 0;
}

bool LineReader::ReadLine(std::string& line) {
  line.clear();
  for (;;) {
    if (position_ == end_ && !Fill())
      return false;
    // The CR that ended the previous line may have been the last byte of a buffer, so its LF is
    // recognised here, by state, rather than by looking back.
    if (afterCr_) {
      afterCr_ = false;
      if (buffer_[position_] == '\n') {
        ++position_;
        continue;
      }
    }
    const char* begin = buffer_.data() + position_;
    const char* stop = buffer_.data() + end_;
    const char* found = begin;
    while (found != stop && *found != '\r' && *found != '\n')
      ++found;
    line.append(begin, found);
    if (found == stop) {
      position_ = end_;
      continue;
    }
    afterCr_ = *found == '\r';
    position_ = static_cast<std::size_t>(found - buffer_.data()) + 1;
    return true;
  }
}

bool LineReader::NextLine(std::string& line) {
  return ReadLine(line) || !line.empty();
}

}  // namespace cad
