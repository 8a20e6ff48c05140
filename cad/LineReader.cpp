#include "cad/LineReader.h"

#include <cstring>

#include "toolkit/Crc32.h"

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
  read_.size += end_;
  read_.crc = toolkit::Crc32(read_.crc, buffer_.data(), end_);
  return end_ > 0;
}

bool LineReader::Next(std::string_view& line, bool& ended) {
  carry_.clear();
  bool carrying = false;
  for (;;) {
    if (position_ == end_ && !Fill()) {
      ended = false;
      lastEnd_ = LineEnd::kNone;
      line = carry_;
      return !carry_.empty();
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
    ended = true;
    position_ = static_cast<std::size_t>(found - buffer_.data()) + 1;
    if (*found == '\n') {
      lastEnd_ = LineEnd::kLf;
    } else if (position_ < end_) {
      lastEnd_ = buffer_[position_] == '\n' ? LineEnd::kCrLf : LineEnd::kCr;
      if (lastEnd_ == LineEnd::kCrLf) ++position_;
    } else {
      // The CR is the buffer's last byte: whether an LF follows is in the next fill, which the
      // line must survive.
      carry_.append(begin, found);
      carrying = true;
      begin = found;
      lastEnd_ = LineEnd::kCr;
      if (Fill() && buffer_[0] == '\n') {
        lastEnd_ = LineEnd::kCrLf;
        position_ = 1;
      }
    }
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
