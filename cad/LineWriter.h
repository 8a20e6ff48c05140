// Writes the rewritten copy of an AutoCAD text file: every line followed by CR LF, whatever line
// ends the original had, because AutoCAD's own files use CR LF; or, where a user's file is given
// back, each line with its own end. Lines are gathered in a buffer so that a large menu file
// costs a few hundred write requests, not one per line, and every byte written is summed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cad/LineReader.h"
#include "toolkit/ChangeRecorder.h"
#include "toolkit/FileSystem.h"

namespace cad {

using toolkit::InsertedLine;

class LineWriter {
 public:
  // Writes to `file`, which must outlive the writer.
  explicit LineWriter(toolkit::fs::File& file);

  void WriteLine(std::string_view line, LineEnd end = LineEnd::kCrLf);
  // The next line written is the copy of a line of the original; every other line written is an
  // insertion, recorded so that it can be found and taken out again.
  void StartSourceLine() { copyPending_ = true; }
  const std::vector<InsertedLine>& Inserted() const { return inserted_; }
  // Hands what is buffered to the file; write failures raise EInOutError. Whatever is still
  // buffered when the writer goes away unflushed is dropped: that only happens when the copy
  // failed, and the copy is then abandoned anyway.
  void Flush();
  // Every byte handed to the file so far.
  toolkit::FileSum Written() const { return written_; }

 private:
  toolkit::fs::File& file_;
  std::string pending_;
  std::size_t lines_ = 0;
  bool copyPending_ = false;
  std::vector<InsertedLine> inserted_;
  toolkit::FileSum written_;
};

}  // namespace cad
