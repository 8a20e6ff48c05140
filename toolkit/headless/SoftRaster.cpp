#include "toolkit/headless/SoftRaster.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace toolkit::headless {

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

SoftRaster::SoftRaster(int width, int height, Uncleared)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(std::make_unique_for_overwrite<Pixel32[]>(Size())) {}

SoftRaster::SoftRaster(int width, int height, Pixel32 fill)
    : SoftRaster(width, height, Uncleared{}) {
  std::fill_n(pixels_.get(), Size(), fill);
}

void SoftRaster::Fill(const Rect& area, const Rect& clip, Pixel32 p) {
  Rect r = Intersect(Intersect(area, clip), Bounds());
  for (int y = r.top; y < r.bottom; ++y)
    std::fill_n(pixels_.get() + std::ptrdiff_t(y) * width_ + r.left, r.Width(), p);
}

void SoftRaster::FillPolygon(std::span<const PointF> corners, const Rect& clip, Pixel32 p) {
  if (corners.size() < 3) return;
  Rect r = Intersect(clip, Bounds());
  std::vector<double> crossings;
  for (int y = r.top; y < r.bottom; ++y) {
    const double yc = y + 0.5;
    crossings.clear();
    for (std::size_t i = 0; i < corners.size(); ++i) {
      const PointF& a = corners[i];
      const PointF& b = corners[(i + 1) % corners.size()];
      if ((a.y <= yc && yc < b.y) || (b.y <= yc && yc < a.y))
        crossings.push_back(a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
      // Pixel x is inside when x + 0.5 lies in [from, to).
      int from = std::max(r.left, int(std::ceil(crossings[i] - 0.5)));
      int to = std::min(r.right, int(std::ceil(crossings[i + 1] - 0.5)));
      for (int x = from; x < to; ++x) Set(x, y, p);
    }
  }
}

bool SoftRaster::SavePpm(const std::string& path) const {
  std::ofstream file(path, std::ios::binary);
  file << "P6\n" << width_ << ' ' << height_ << "\n255\n";
  std::vector<char> row(std::size_t(width_) * 3);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      Pixel32 px = At(x, y);
      row[std::size_t(x) * 3] = char((px >> 16) & 0xFF);
      row[std::size_t(x) * 3 + 1] = char((px >> 8) & 0xFF);
      row[std::size_t(x) * 3 + 2] = char(px & 0xFF);
    }
    file.write(row.data(), std::streamsize(row.size()));
  }
  return bool(file);
}

}  // namespace toolkit::headless
