#include "toolkit/headless/SoftFont.h"

#include "toolkit/Utf8.h"

namespace toolkit::headless {

int LineWidth(std::string_view text, int height, bool expandTabs) {
  const int advance = Advance(height);
  const int tab = TabWidth(height);
  int x = 0;
  for (std::size_t i = 0; i < text.size(); i += CharacterLength(text, i)) {
    x += text[i] == '\t' && expandTabs ? (x / tab + 1) * tab - x : advance;
  }
  return x;
}

ShownLine LayoutLine(std::string_view text, const std::vector<bool>& underlined, int height,
                     bool expandTabs) {
  ShownLine line;
  line.shown = std::string(text);
  line.glyphs.reserve(text.size());
  const int advance = Advance(height);
  int x = 0;
  // One glyph a character: the text is UTF-8.
  for (std::size_t i = 0; i < text.size(); i += CharacterLength(text, i)) {
    Glyph g;
    g.x = x;
    unsigned char ch = static_cast<unsigned char>(text[i]);
    if (ch == '\t' && expandTabs) {
      const int tab = TabWidth(height);
      g.advance = (x / tab + 1) * tab - x;
    } else {
      g.advance = advance;
      g.ink = ch > ' ' && ch != 0x7F;
    }
    g.underline = i < underlined.size() && underlined[i];
    x += g.advance;
    line.glyphs.push_back(g);
  }
  line.width = x;
  return line;
}

Rect InkOf(const Glyph& glyph, int height) {
  const int inset = glyph.advance > 2 ? 1 : 0;
  return Rect{glyph.x + inset, height / 5, glyph.x + glyph.advance - inset, height};
}

Rect UnderlineOf(const Glyph& glyph, int height) {
  return Rect{glyph.x, height, glyph.x + glyph.advance, height + 1};
}

}  // namespace toolkit::headless
