// The headless backend's built-in font. Its metrics are fixed and simple so that a test can
// compute where text lands; every font name maps onto it. For a font `height` pixels high:
//   - every character (of the UTF-8 text), space and tab included, advances
//     Advance(height) = (height + 1) / 2;
//   - the line height (text height) is LineHeight(height) = height + height / 6;
//   - a printable character other than a space inks a solid block: columns 1 to Advance - 2 of its
//     cell (the whole cell when the advance is 2 or less), rows height / 5 to height - 1;
//   - an underlined character has one more row of ink, row `height`, across its whole cell;
//   - tabs, when expanded, move to the next multiple of 8 advances from the start of the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Types.h"

namespace toolkit::headless {

constexpr int Advance(int height) {
  int a = (height + 1) / 2;
  return a < 1 ? 1 : a;
}
constexpr int LineHeight(int height) { return height + height / 6; }
constexpr int TabWidth(int height) { return 8 * Advance(height); }

// One character placed on a line: its left edge from the line's start, and whether it is inked
// and underlined.
struct Glyph {
  int x = 0;
  int advance = 0;
  bool ink = false;
  bool underline = false;
};

// A line after prefix processing, as shown.
struct ShownLine {
  std::string shown;
  std::vector<Glyph> glyphs;
  int width = 0;
};

// The width LayoutLine would give the line, without laying it out.
int LineWidth(std::string_view text, int height, bool expandTabs);

// Lays out one line of text: `underlined` holds, per character, whether it is underlined.
ShownLine LayoutLine(std::string_view text, const std::vector<bool>& underlined, int height,
                     bool expandTabs);

// The ink of one glyph, relative to the line's top-left corner.
Rect InkOf(const Glyph& glyph, int height);
Rect UnderlineOf(const Glyph& glyph, int height);

}  // namespace toolkit::headless
