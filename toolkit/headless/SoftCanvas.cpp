#include "toolkit/headless/SoftCanvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace toolkit::headless {

namespace {

struct Prefixed {
  std::string shown;
  std::vector<bool> underlined;
};

// The accelerator prefix as the platform shows it: "&x" underlines x, "&&" shows one ampersand,
// a lone ampersand at the end shows nothing.
Prefixed ProcessPrefix(std::string_view text, bool prefix) {
  Prefixed out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool underline = false;
    if (prefix && text[i] == '&') {
      if (++i == text.size()) break;
      underline = text[i] != '&';
    }
    out.shown.push_back(text[i]);
    out.underlined.push_back(underline);
  }
  return out;
}

struct LineSpan {
  std::size_t begin;
  std::size_t end;
};

int WidthOf(const Prefixed& p, LineSpan s, int height, bool tabs) {
  return LineWidth(std::string_view(p.shown).substr(s.begin, s.end - s.begin), height, tabs);
}

// Lines as the platform breaks them: at CR, LF or CR LF unless single-line, and with word
// breaking at the last space that keeps the line within `width` (a word longer than the line
// stands alone on it and is clipped).
std::vector<LineSpan> BreakLines(const Prefixed& p, unsigned format, int width, int height) {
  const bool tabs = (format & tfExpandTabs) != 0;
  const std::string& s = p.shown;
  std::vector<LineSpan> paragraphs;
  if (format & tfSingleLine) {
    paragraphs.push_back({0, s.size()});
  } else {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
      if (i == s.size() || s[i] == '\r' || s[i] == '\n') {
        paragraphs.push_back({start, i});
        if (i + 1 < s.size() && s[i] == '\r' && s[i + 1] == '\n') ++i;
        start = i + 1;
      }
    }
  }
  if (!(format & tfWordBreak) || (format & tfSingleLine)) return paragraphs;

  std::vector<LineSpan> lines;
  for (LineSpan para : paragraphs) {
    std::size_t pos = para.begin;
    do {
      std::size_t lineEnd = pos;
      std::size_t i = pos;
      while (i < para.end) {
        std::size_t j = i;
        while (j < para.end && s[j] == ' ') ++j;
        while (j < para.end && s[j] != ' ') ++j;
        if (lineEnd != pos && WidthOf(p, {pos, j}, height, tabs) > width) break;
        lineEnd = j;
        i = j;
      }
      std::size_t shownEnd = lineEnd;
      while (shownEnd > pos && s[shownEnd - 1] == ' ') --shownEnd;
      lines.push_back({pos, shownEnd});
      pos = lineEnd;
      while (pos < para.end && s[pos] == ' ') ++pos;
    } while (pos < para.end);
  }
  return lines;
}

}  // namespace

TColor SoftSystemColor(int index) {
  static constexpr std::array<TColor, 25> kClassic = {
      Rgb(192, 192, 192), Rgb(0, 128, 128),   Rgb(0, 0, 128),     Rgb(128, 128, 128),
      Rgb(192, 192, 192), Rgb(255, 255, 255), Rgb(0, 0, 0),       Rgb(0, 0, 0),
      Rgb(0, 0, 0),       Rgb(255, 255, 255), Rgb(192, 192, 192), Rgb(192, 192, 192),
      Rgb(128, 128, 128), Rgb(0, 0, 128),     Rgb(255, 255, 255), Rgb(192, 192, 192),
      Rgb(128, 128, 128), Rgb(128, 128, 128), Rgb(0, 0, 0),       Rgb(192, 192, 192),
      Rgb(255, 255, 255), Rgb(0, 0, 0),       Rgb(223, 223, 223), Rgb(0, 0, 0),
      Rgb(255, 255, 225)};
  if (index < 0 || index >= int(kClassic.size())) return clBlack;
  return kClassic[std::size_t(index)];
}

SoftCanvas::SoftCanvas(SoftRaster& raster, Point origin, const Rect& clip)
    : raster_(raster), origin_(origin), clip_(Intersect(clip, raster.Bounds())) {}

Rect SoftCanvas::ToRaster(const Rect& r) const {
  return Rect{r.left + origin_.x, r.top + origin_.y, r.right + origin_.x, r.bottom + origin_.y};
}

TColor SoftCanvas::ColorToRGB(TColor color) const {
  if (color & kSystemColorFlag) return SoftSystemColor(int(color & 0xFF));
  return color;
}

void SoftCanvas::FillRect(const Rect& area) {
  if (BrushStyle() == bsClear) return;
  raster_.Fill(ToRaster(area), clip_, ToPixel(ColorToRGB(BrushColor())));
}

void SoftCanvas::Polygon(std::span<const Point> corners) {
  if (BrushStyle() == bsClear) return;
  std::vector<PointF> points;
  for (Point p : corners) points.push_back({double(p.x + origin_.x), double(p.y + origin_.y)});
  raster_.FillPolygon(points, clip_, ToPixel(ColorToRGB(BrushColor())));
}

void SoftCanvas::WriteLine(const ShownLine& line, int x, int y, const Rect& clip) {
  const Font& font = GetFont();
  const Pixel32 ink = ToPixel(ColorToRGB(font.color));
  const int rx = x + origin_.x;
  const int ry = y + origin_.y;
  if (BrushStyle() == bsSolid) {
    const Pixel32 back = ToPixel(ColorToRGB(BrushColor()));
    const Rect cell{0, 0, line.width, LineHeight(font.height)};
    if (font.escapement == 0) {
      raster_.Fill(Rect{rx, ry, rx + cell.right, ry + cell.bottom}, clip, back);
    }
  }
  if (font.escapement == 0) {
    // The common case, a line of upright text: the glyphs' boxes written straight into the rows.
    const Rect limit = Intersect(clip, raster_.Bounds());
    const auto pixels = raster_.Pixels();
    auto mark = [&](const Rect& b) {
      const Rect r = Intersect(Rect{rx + b.left, ry + b.top, rx + b.right, ry + b.bottom}, limit);
      for (int row = r.top; row < r.bottom; ++row) {
        Pixel32* first = pixels.data() + std::ptrdiff_t(row) * raster_.Width() + r.left;
        std::fill(first, first + r.Width(), ink);
      }
    };
    for (const Glyph& g : line.glyphs) {
      if (g.ink) mark(InkOf(g, font.height));
      if (g.underline) mark(UnderlineOf(g, font.height));
    }
    return;
  }
  // Turned text: counter-clockwise on the screen, whose y axis points down.
  const double radians = font.escapement / 10.0 * std::numbers::pi / 180.0;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  auto turn = [&](double a, double b) { return PointF{rx + a * c + b * s, ry - a * s + b * c}; };
  auto mark = [&](const Rect& b) {
    const std::array<PointF, 4> corners = {turn(b.left, b.top), turn(b.right, b.top),
                                           turn(b.right, b.bottom), turn(b.left, b.bottom)};
    raster_.FillPolygon(corners, clip, ink);
  };
  for (const Glyph& g : line.glyphs) {
    if (g.ink) mark(InkOf(g, font.height));
    if (g.underline) mark(UnderlineOf(g, font.height));
  }
}

void SoftCanvas::DrawText(std::string_view text, const Rect& area, unsigned format) {
  const Font& font = GetFont();
  const Prefixed p = ProcessPrefix(text, !(format & tfNoPrefix));
  const Rect clip = (format & tfNoClip) ? clip_ : Intersect(clip_, ToRaster(area));
  const bool tabs = (format & tfExpandTabs) != 0;
  const int lineHeight = LineHeight(font.height);

  TextRecord record;
  record.kind = TextRecord::kDrawText;
  record.text = std::string(text);
  record.rect = area;
  record.color = font.color;
  record.format = format;
  record.font = font;

  int y = area.top;
  for (LineSpan span : BreakLines(p, format, area.Width(), font.height)) {
    std::vector<bool> underlined(p.underlined.begin() + std::ptrdiff_t(span.begin),
                                 p.underlined.begin() + std::ptrdiff_t(span.end));
    ShownLine line = LayoutLine(std::string_view(p.shown).substr(span.begin, span.end - span.begin),
                                underlined, font.height, tabs);
    int x = area.left;
    if (format & tfRight)
      x = area.right - line.width;
    else if (format & tfCenter)
      x = area.left + (area.Width() - line.width) / 2;
    WriteLine(line, x, y, clip);
    if (!record.shown.empty() || y != area.top) record.shown += '\n';
    record.shown += line.shown;
    y += lineHeight;
  }
  raster_.Texts().push_back(std::move(record));
}

void SoftCanvas::TextOut(int x, int y, std::string_view text) {
  const Font& font = GetFont();
  WriteLine(LayoutLine(text, {}, font.height, false), x, y, clip_);
  TextRecord record;
  record.kind = TextRecord::kTextOut;
  record.text = std::string(text);
  record.shown = std::string(text);
  record.point = Point{x, y};
  record.color = font.color;
  record.font = font;
  raster_.Texts().push_back(std::move(record));
}

int SoftCanvas::TextWidth(std::string_view text) {
  return LineWidth(text, GetFont().height, false);
}

int SoftCanvas::TextHeight(std::string_view) { return LineHeight(GetFont().height); }

void SoftCanvas::CopyRect(const Rect& to, Canvas& source, const Rect& from) {
  auto* soft = dynamic_cast<SoftCanvas*>(&source);
  if (soft == nullptr) throw std::logic_error("CopyRect between canvases of different backends");
  if (to.Width() <= 0 || to.Height() <= 0 || from.Width() <= 0 || from.Height() <= 0) return;
  const Rect src = soft->ToRaster(from);
  const Rect dst = ToRaster(to);
  const SoftRaster& in = soft->raster_;
  if (src.Width() == dst.Width() && src.Height() == dst.Height() && &in != &raster_) {
    // The common case, a copy without stretching between two rasters: whole rows at once.
    const Rect r = Intersect(Intersect(dst, clip_), Rect{dst.left - src.left, dst.top - src.top,
                                                         dst.left - src.left + in.Width(),
                                                         dst.top - src.top + in.Height()});
    auto out = raster_.Pixels();
    auto pixelsIn = in.Pixels();
    for (int y = r.top; y < r.bottom; ++y) {
      const std::size_t from0 = std::size_t(y - dst.top + src.top) * in.Width() +
                                std::size_t(r.left - dst.left + src.left);
      std::copy_n(pixelsIn.begin() + std::ptrdiff_t(from0), r.Width(),
                  out.begin() + std::ptrdiff_t(std::size_t(y) * raster_.Width() + r.left));
    }
    return;
  }
  // Read everything first: source and destination may overlap in one raster.
  std::vector<Pixel32> block(std::size_t(dst.Width()) * std::size_t(dst.Height()));
  std::vector<bool> known(block.size(), false);
  for (int y = 0; y < dst.Height(); ++y) {
    const int sy = src.top + int(std::int64_t(y) * src.Height() / dst.Height());
    for (int x = 0; x < dst.Width(); ++x) {
      const int sx = src.left + int(std::int64_t(x) * src.Width() / dst.Width());
      if (sx >= 0 && sy >= 0 && sx < in.Width() && sy < in.Height()) {
        block[std::size_t(y) * dst.Width() + x] = in.At(sx, sy);
        known[std::size_t(y) * dst.Width() + x] = true;
      }
    }
  }
  const Rect r = Intersect(dst, clip_);
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const std::size_t i = std::size_t(y - dst.top) * dst.Width() + (x - dst.left);
      if (known[i]) raster_.Set(x, y, block[i]);
    }
  }
}

TColor SoftCanvas::Pixel(int x, int y) {
  const Point p{x + origin_.x, y + origin_.y};
  if (!clip_.Contains(p)) return 0xFFFFFFFF;  // the platform's "invalid colour"
  return FromPixel(raster_.At(p.x, p.y));
}

void SoftCanvas::SetPixel(int x, int y, TColor color) {
  const Point p{x + origin_.x, y + origin_.y};
  if (clip_.Contains(p)) raster_.Set(p.x, p.y, ToPixel(ColorToRGB(color)));
}

void SoftCanvas::EditRows(const Rect& area, const RowEdit& edit) {
  // The raster is memory already: each row is handed over where it lies.
  const Rect r = Intersect(ToRaster(area), clip_);
  if (r.Width() <= 0 || r.Height() <= 0) return;
  auto pixels = raster_.Pixels();
  for (int y = r.top; y < r.bottom; ++y) {
    edit(r.left - origin_.x, y - origin_.y,
         pixels.subspan(std::size_t(y) * raster_.Width() + r.left, std::size_t(r.Width())));
  }
}

std::unique_ptr<Bitmap> SoftCanvas::CreateBitmap(int width, int height) {
  return std::make_unique<SoftBitmap>(width, height);
}

std::unique_ptr<Bitmap> SoftCanvas::CreateScratchBitmap(int width, int height) {
  return std::make_unique<SoftBitmap>(width, height, SoftRaster::Uncleared{});
}

}  // namespace toolkit::headless
