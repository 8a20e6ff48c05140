#include "cad/LineReader.h"

#include <cstring>

namespace cad {
namespace {
// Large enough that a menu file of some megabytes is read in a few hundred requests.
constexpr std::size_t kBufferSize = 64 * 1024;

// The first CR or LF in [begin, stop), or stop. Two memchr calls beat a byte loop on long lines.
const char* FindLineEnd(const char* begin, const char* stop) {
  const void* cr = std::memchr(begin, '\r', static_cast<std::size_t>(stop - begin));
  const char* limit = cr != nullptr ? static_cast<const char*>(cr) : stop;
  const void* lf = std::memchr(begin, '\n', static_cast<std::size_t>(limit - begin));
  return lf != nullptr ? static_cast<const char*>(lf) : limit;
}

}  // namespace

LineReader::LineReader(toolkit::fs::File& file) : file_(file), buffer_(kBufferSize) {}

bool LineReader::Fill() {
  position_ = 0;
  end_ = file_.Read(buffer_.data(), buffer_.size());
  return end_ > 0;
}

bool LineReader::Next(std::string_view& line, bool& ended) {
  carry_.clear();
  bool carrying = false;
  for (;;) {
    if (position_ == end_ && !Fill()) {
      ended = false;
      line = carry_;
      return !carry_.empty();
    }
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
    const char* found = FindLineEnd(begin, stop);
    if (found == stop) {
      carry_.append(begin, stop);
      carrying = true;
      position_ = end_;
      continue;
    }
    afterCr_ = *found == '\r';
    position_ = static_cast<std::size_t>(found - buffer_.data()) + 1;
    ended = true;
    if (carrying) {
      carry_.append(begin, found);
      line = carry_;
    } else {
      line = std::string_view(begin, static_cast<std::size_t>(found - begin));
    }
    return true;
  }
}

bool LineReader::ReadLine(std::string& line) {
  std::string_view view;
  bool ended = false;
  Next(view, ended);
  line.assign(view);
  return ended;
}

bool LineReader::NextLine(std::string& line) {
  std::string_view view;
  bool ended = false;
  bool delivered = Next(view, ended);
  line.assign(view);
  return delivered;
}

bool LineReader::NextLine(std::string_view& line) {
  bool ended = false;
  return Next(line, ended);
}

}  // namespace cad
