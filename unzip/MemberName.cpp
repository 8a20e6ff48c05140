#include "unzip/MemberName.h"

#include <algorithm>

#include <array>

#include "unzip/UnzipApi.h"

namespace unzip {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool EqualsUpper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (Upper(text[i]) != upper[i]) return false;
  }
  return true;
}

bool ForbiddenChar(unsigned char c) {
  if (c < 0x20) return true;
  switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '?':
    case '*':
      return true;
    default:
      return false;
  }
}

bool SafePart(std::string_view part) {
  if (part == "." || part == "..") return false;
  for (unsigned char c : part) {
    if (ForbiddenChar(c)) return false;
  }
  // Windows drops trailing dots and blanks, so "..." or ".. " would land on ".." and "a." on "a".
  if (part.back() == '.' || part.back() == ' ') return false;
  return !IsDeviceName(part);
}

}  // namespace

bool IsDeviceName(std::string_view part) {
  // The device wins over any extension ("NUL.txt") and over blanks before it ("CON .txt").
  std::string_view stem = part.substr(0, part.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  static constexpr std::array<std::string_view, 7> kPlain = {"CON",    "PRN",     "AUX",   "NUL",
                                                             "CONIN$", "CONOUT$", "CLOCK$"};
  for (auto device : kPlain) {
    if (EqualsUpper(stem, device)) return true;
  }
  if (stem.size() != 4) return false;
  const bool port = EqualsUpper(stem.substr(0, 3), "COM") || EqualsUpper(stem.substr(0, 3), "LPT");
  const unsigned char digit = static_cast<unsigned char>(stem[3]);
  // Windows also takes the code-page 1252 superscripts 1, 2 and 3 as port numbers.
  return port &&
         ((digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

bool MakeSafePath(std::string_view name, SafePath& out) {
  out = SafePath{};
  if (name.empty() || name.size() > UNZIP_MAX_NAME) return false;
  // Windows takes a backslash as a separator, so an archive made elsewhere can hide a climb in one.
  const char first = name.front();
  if (first == '/' || first == '\\') return false;
  const char last = name.back();
  out.folder = last == '/' || last == '\\';

  std::size_t start = 0;
  while (start < name.size()) {
    std::size_t end = start;
    while (end < name.size() && name[end] != '/' && name[end] != '\\') ++end;
    const std::string_view part = name.substr(start, end - start);
    if (!part.empty()) {
      if (!SafePart(part)) return false;
      if (!out.path.empty()) out.path += '/';
      out.path += part;
    }
    start = end + 1;
  }
  return !out.path.empty();
}

namespace {

// Code page 1252's bytes 0x80 to 0x9F, by the character each stands for (0: unassigned).
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The next character of UTF-8 text, or nothing for a malformed or overlong sequence.
bool NextCharacter(std::string_view text, std::size_t& at, char32_t& character) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  int follow = lead < 0x80             ? 0
               : (lead & 0xE0) == 0xC0 ? 1
               : (lead & 0xF0) == 0xE0 ? 2
               : (lead & 0xF8) == 0xF0 ? 3
                                       : -1;
  if (follow < 0 || text.size() - at < std::size_t(follow)) return false;
  character = follow == 0 ? lead : lead & (0x3F >> follow);
  for (int i = 0; i < follow; ++i) {
    const auto next = static_cast<unsigned char>(text[at++]);
    if ((next & 0xC0) != 0x80) return false;
    character = (character << 6) | (next & 0x3F);
  }
  constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
  return character >= kShortest[follow] && character <= 0x10FFFF;
}

}  // namespace

bool Utf8ToCodePage1252(std::string& name) {
  std::string converted;
  bool whole = true;
  for (std::size_t at = 0; at < name.size();) {
    char32_t character = 0;
    if (NextCharacter(name, at, character)) {
      if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        converted += static_cast<char>(character);
        continue;
      }
      const auto* found = std::find(std::begin(kHighControls), std::end(kHighControls), character);
      if (character != 0 && found != std::end(kHighControls)) {
        converted += static_cast<char>(0x80 + (found - std::begin(kHighControls)));
        continue;
      }
    }
    // Only characters decoded whole are kept, so a malformed sequence never yields a separator.
    converted += '?';
    whole = false;
  }
  name = std::move(converted);
  return whole;
}

}  // namespace unzip
