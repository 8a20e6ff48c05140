#include "unzip/MemberName.h"

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

}  // namespace unzip
