// Writes the rewritten copy of an AutoCAD text file: every line followed by CR LF, whatever line
// ends the original had, because AutoCAD's own files use CR LF. Lines are gathered in a buffer so
// that a large menu file costs a few hundred write requests, not one per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/FileSystem.h"

namespace cad {

// A line a rewrite added, by its 1-based number in the new text.
struct InsertedLine {
  std::size_t number = 0;
  std::string text;
  friend bool operator==(const InsertedLine&, const InsertedLine&) = default;
};

class LineWriter {
 public:
  // Writes to `file`, which must outlive the writer.
  explicit LineWriter(toolkit::fs::File& file);

  void WriteLine(std::string_view line);
  // The next line written is the copy of a line of the original; every other line written is an
  // insertion, recorded so that it can be found and taken out again.
  void StartSourceLine() { copyPending_ = true; }
  const std::vector<InsertedLine>& Inserted() const { return inserted_; }
  // Hands what is buffered to the file; write failures raise EInOutError. Whatever is still
  // buffered when the writer goes away unflushed is dropped: that only happens when the copy
  // failed, and the copy is then abandoned anyway.
  void Flush();

 private:
  toolkit::fs::File& file_;
  std::string pending_;
  std::size_t written_ = 0;
  bool copyPending_ = false;
  std::vector<InsertedLine> inserted_;
};

}  // namespace cad
