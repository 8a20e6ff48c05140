// Plain value types shared by the installer's logic and both toolkit backends: colours in the
// Windows layout, rectangles and fonts. Nothing here names an operating system.
#pragma once

#include <cstdint>
#include <string>

namespace toolkit {

// $00BBGGRR for a plain colour; $80000000 + n names system colour n, resolved when drawn.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clNavy = 0x00800000;
inline constexpr TColor clGray = 0x00808080;
inline constexpr TColor clSilver = 0x00C0C0C0;
inline constexpr TColor clWhite = 0x00FFFFFF;
inline constexpr TColor clRed = 0x000000FF;
inline constexpr TColor clGreen = 0x00008000;
inline constexpr TColor clBlue = 0x00FF0000;
inline constexpr TColor clYellow = 0x0000FFFF;
inline constexpr TColor clOlive = 0x00008080;
inline constexpr TColor clAqua = 0x00FFFF00;
inline constexpr TColor clTeal = 0x00808000;
inline constexpr TColor clMaroon = 0x00000080;
inline constexpr TColor clPurple = 0x00800080;
inline constexpr TColor clLime = 0x0000FF00;
inline constexpr TColor clFuchsia = 0x00FF00FF;

inline constexpr TColor kSystemColorFlag = 0x80000000;
inline constexpr TColor SystemColor(int index) { return kSystemColorFlag | TColor(index); }
inline constexpr TColor clScrollBar = SystemColor(0);
inline constexpr TColor clBackground = SystemColor(1);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);
inline constexpr TColor cl3DLight = SystemColor(22);
inline constexpr TColor clInfoBk = SystemColor(24);

constexpr std::uint8_t RedOf(TColor c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t GreenOf(TColor c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(TColor c) { return std::uint8_t((c >> 16) & 0xFF); }
constexpr TColor Rgb(int r, int g, int b) {
  return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect Bounds(int left, int top, int width, int height) {
  return Rect{left, top, left + width, top + height};
}

enum FontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font as the controls describe it; height is in pixels (cell height, as Windows' negative
// lfHeight), escapement in tenths of a degree.
struct Font {
  std::string name = "MS Sans Serif";
  int height = 11;
  TColor color = clWindowText;
  unsigned style = 0;
  int escapement = 0;
  bool Bold() const { return (style & fsBold) != 0; }
  friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace toolkit
