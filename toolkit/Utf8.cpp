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

constexpr char32_t kReplacement = 0xFFFD;

void Append(std::string& utf8, char32_t code) {
  if (code < 0x80) {
    utf8 += char(code);
  } else if (code < 0x800) {
    utf8 += char(0xC0 | code >> 6);
    utf8 += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    utf8 += char(0xE0 | code >> 12);
    utf8 += char(0x80 | (code >> 6 & 0x3F));
    utf8 += char(0x80 | (code & 0x3F));
  } else {
    utf8 += char(0xF0 | code >> 18);
    utf8 += char(0x80 | (code >> 12 & 0x3F));
    utf8 += char(0x80 | (code >> 6 & 0x3F));
    utf8 += char(0x80 | (code & 0x3F));
  }
}

struct Decoded {
  char32_t code = kReplacement;
  std::size_t length = 1;
  bool valid = false;
};

// The character at `at`. An invalid sequence is one replacement for its longest start that some
// valid sequence shares (at least one byte). Surrogates (ED A0..BF) are taken as their units.
Decoded Decode(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t length = 0;
  char32_t code = 0;
  unsigned low = 0x80;  // the range the second byte must fall in, which rules out overlong forms
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {};
  }
  for (std::size_t i = 1; i < length; ++i) {
    const bool inRange = at + i < text.size() && byte(at + i) >= (i == 1 ? low : 0x80) &&
                         byte(at + i) <= (i == 1 ? high : 0xBF);
    if (!inRange) return {kReplacement, i, false};
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  return {code, length, true};
}

}  // namespace

std::string Utf8FromCp1252(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    const unsigned byte = static_cast<unsigned char>(c);
    Append(utf8, byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte);
  }
  return utf8;
}

std::optional<std::string> Cp1252FromUtf8(std::string_view utf8) {
  std::string text;
  text.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const Decoded d = Decode(utf8, at);
    if (!d.valid) return std::nullopt;
    at += d.length;
    if (d.code < 0x80 || (d.code >= 0xA0 && d.code <= 0xFF)) {
      text += char(d.code);
      continue;
    }
    bool found = false;
    for (unsigned i = 0; i < 32 && !found; ++i) {
      if (kHighControls[i] == d.code) {
        text += char(0x80 + i);
        found = true;
      }
    }
    if (!found) return std::nullopt;
  }
  return text;
}

std::u16string Utf16FromUtf8(std::string_view utf8) {
  std::u16string utf16;
  utf16.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const Decoded d = Decode(utf8, at);
    at += d.length;
    if (d.code < 0x10000) {
      utf16 += char16_t(d.code);
    } else {
      utf16 += char16_t(0xD800 + ((d.code - 0x10000) >> 10));
      utf16 += char16_t(0xDC00 + ((d.code - 0x10000) & 0x3FF));
    }
  }
  return utf16;
}

std::string Utf8FromUtf16(std::u16string_view utf16) {
  std::string utf8;
  utf8.reserve(utf16.size() + utf16.size() / 2);
  for (std::size_t at = 0; at < utf16.size(); ++at) {
    char32_t code = utf16[at];
    // A pair is one character; a surrogate without its partner stays the unit it is.
    if (code >= 0xD800 && code < 0xDC00 && at + 1 < utf16.size() && utf16[at + 1] >= 0xDC00 &&
        utf16[at + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (utf16[++at] - 0xDC00);
    }
    Append(utf8, code);
  }
  return utf8;
}

bool IsUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const Decoded d = Decode(text, at);
    if (!d.valid) return false;
    at += d.length;
  }
  return true;
}

std::size_t CharacterLength(std::string_view text, std::size_t at) {
  return Decode(text, at).length;
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); at += CharacterLength(text, at)) ++count;
  return count;
}

std::vector<std::size_t> CharacterStarts(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < text.size(); at += CharacterLength(text, at)) starts.push_back(at);
  return starts;
}

std::string_view FirstCharacters(std::string_view text, std::size_t count) {
  std::size_t at = 0;
  for (; at < text.size() && count > 0; --count) at += CharacterLength(text, at);
  return text.substr(0, at);
}

}  // namespace toolkit
