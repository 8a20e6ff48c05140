// Reads an AutoCAD text file line by line. AutoCAD writes CR LF, but files edited elsewhere come
// with LF alone, or with CR alone, or without a final line end; every one of these must be read
// without losing a character, because the rewritten copy replaces the user's file. The reader
// also tells each line's own end and sums every byte it reads, so that the file as it was can be
// described, and later rebuilt, byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/ChangeRecorder.h"
#include "toolkit/FileSystem.h"

namespace cad {

// How a line ended, as one character of the coded line ends (cad/LineEnds.h).
enum class LineEnd : char {
  kCrLf = 'W',  // CR LF, as Windows and AutoCAD write
  kLf = 'L',
  kCr = 'C',
  kNone = 'N',  // the last line of a file without a final line end
};

// The characters that end a line this way.
constexpr std::string_view LineEndText(LineEnd end) {
  switch (end) {
    case LineEnd::kCrLf:
      return "\r\n";
    case LineEnd::kLf:
      return "\n";
    case LineEnd::kCr:
      return "\r";
    case LineEnd::kNone:
      break;
  }
  return {};
}

class LineReader {
 public:
  // Reads `file` from its current position on; the file must outlive the reader.
  explicit LineReader(toolkit::fs::File& file);

  // Empties `line` and reads the next line into it, without its line end. A CR ends a line; an
  // LF right after a CR belongs to that line end; an LF anywhere else ends a line too. Returns
  // true when a line end was read; false at the end of the file, with `line` holding the text
  // after the last line end (possibly none). Read failures raise EInOutError.
  bool ReadLine(std::string& line);

  // The next line, a last one without a line end included; false only when nothing is left.
  bool NextLine(std::string& line);
  // The same, without copying: `line` points into the reader and stays valid until its next call.
  bool NextLine(std::string_view& line);

  // The end of the line last delivered.
  LineEnd LastLineEnd() const { return lastEnd_; }
  // Every byte read so far, summed: once the last line is delivered, the whole file's.
  toolkit::FileSum BytesRead() const { return read_; }

 private:
  // The next line and whether a line end was read; false when nothing at all is left.
  bool Next(std::string_view& line, bool& ended);
  bool Fill();

  toolkit::fs::File& file_;
  std::vector<char> buffer_;
  std::string carry_;  // a line that spans buffer fills
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  LineEnd lastEnd_ = LineEnd::kNone;
  toolkit::FileSum read_;
};

}  // namespace cad
