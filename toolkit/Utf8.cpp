#include "toolkit/Utf8.h"

#include <cstdint>

namespace toolkit {
namespace {

// The characters of 0x80 to 0x9F, where code page 1252 departs from Latin-1; from 0xA0 on a
// byte's value is its code point.
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

std::string Utf8FromCp1252(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    const unsigned byte = static_cast<unsigned char>(c);
    const unsigned code = byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
    if (code < 0x80) {
      utf8 += c;
    } else if (code < 0x800) {
      utf8 += char(0xC0 | code >> 6);
      utf8 += char(0x80 | (code & 0x3F));
    } else {
      utf8 += char(0xE0 | code >> 12);
      utf8 += char(0x80 | (code >> 6 & 0x3F));
      utf8 += char(0x80 | (code & 0x3F));
    }
  }
  return utf8;
}

}  // namespace toolkit
