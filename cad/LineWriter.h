// Writes the rewritten copy of an AutoCAD text file: every line followed by CR LF, whatever line
// ends the original had, because AutoCAD's own files use CR LF. Lines are gathered in a buffer so
// that a large menu file costs a few hundred write requests, not one per line.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/FileSystem.h"

namespace cad {

class LineWriter {
 public:
  // Writes to `file`, which must outlive the writer.
  explicit LineWriter(toolkit::fs::File& file);

  void WriteLine(std::string_view line);
  // Hands what is buffered to the file; write failures raise EInOutError. Whatever is still
  // buffered when the writer goes away unflushed is dropped: that only happens when the copy
  // failed, and the copy is then abandoned anyway.
  void Flush();

 private:
  toolkit::fs::File& file_;
  std::string pending_;
};

}  // namespace cad
