// The marker test by which the patchers recognise their own earlier work and the places where
// they insert lines: a plain substring search in one line, with only the letters a-z and A-Z
// compared without regard to case. Accented letters and every other byte must match exactly, as
// AutoCAD's files are 8-bit text in whatever code page their author used.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace cad {

// One marker, prepared once and tested against many lines. A menu file is scanned line by line
// for up to three markers, so the search skips ahead (Horspool) instead of trying every column.
class Marker {
 public:
  explicit Marker(std::string_view text);
  bool FoundIn(std::string_view line) const;
  std::string_view Text() const { return text_; }

 private:
  std::string text_;
  std::string folded_;
  std::array<std::size_t, 256> shift_{};
};

// True when `marker` occurs anywhere in `line` (an empty marker occurs in every line).
bool ContainsMarker(std::string_view line, std::string_view marker);

}  // namespace cad
