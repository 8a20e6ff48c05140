#include "cad/LineEnds.h"

#include "cad/LineReader.h"

namespace cad {
namespace {

bool IsLineEnd(char c) {
  return c == char(LineEnd::kCrLf) || c == char(LineEnd::kLf) || c == char(LineEnd::kCr) ||
         c == char(LineEnd::kNone);
}

}  // namespace

std::string EncodeLineEnds(std::string_view ends) {
  std::string coded;
  for (std::size_t at = 0; at < ends.size();) {
    std::size_t run = 1;
    while (at + run < ends.size() && ends[at + run] == ends[at]) ++run;
    coded += std::to_string(run);
    coded += ends[at];
    at += run;
  }
  return coded;
}

std::optional<std::string> DecodeLineEnds(std::string_view coded, std::size_t maxLines) {
  std::string ends;
  std::size_t count = 0;
  bool digits = false;
  for (const char c : coded) {
    if (c >= '0' && c <= '9') {
      count = count * 10 + std::size_t(c - '0');
      digits = true;
      if (count > maxLines) return std::nullopt;
      continue;
    }
    if (!digits || count == 0 || !IsLineEnd(c) || ends.size() + count > maxLines) {
      return std::nullopt;
    }
    ends.append(count, c);
    count = 0;
    digits = false;
  }
  // Only the last line can lack a line end.
  if (digits || ends.find(char(LineEnd::kNone)) < ends.size() - 1) return std::nullopt;
  return ends;
}

}  // namespace cad
