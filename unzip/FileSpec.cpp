#include "unzip/FileSpec.h"

namespace unzip {
namespace {

char Fold(char c) {
  if (c >= 'A' && c <= 'Z') return char(c - 'A' + 'a');
  if (c == '\\') return '/';
  return c;
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view text) {
  // Greedy with one back-track point: linear in practice and never exponential, whatever the
  // pattern, since a later '*' makes every earlier one irrelevant.
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(text[t]))) {
      ++p;
      ++t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool MatchesFileSpec(std::string_view spec, std::string_view memberName) {
  // A folder entry's base name is its last part, without the closing separator.
  std::string_view name = memberName;
  while (!name.empty() && (name.back() == '/' || name.back() == '\\')) name.remove_suffix(1);
  if (MatchesWildcard(spec, name)) return true;
  const std::size_t slash = name.find_last_of("/\\");
  return slash != std::string_view::npos && MatchesWildcard(spec, name.substr(slash + 1));
}

}  // namespace unzip
