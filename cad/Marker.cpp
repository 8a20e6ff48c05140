#include "cad/Marker.h"

namespace cad {
namespace {

constexpr unsigned char FoldByte(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

}  // namespace

Marker::Marker(std::string_view text) : text_(text), folded_(text) {
  for (char& c : folded_) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
  const std::size_t length = folded_.size();
  shift_.fill(length == 0 ? 1 : length);
  for (std::size_t i = 0; i + 1 < length; ++i) {
    unsigned char c = static_cast<unsigned char>(folded_[i]);
    shift_[c] = length - 1 - i;
    // The line is folded as it is read, so a lower-case letter shifts like its capital.
    if (c >= 'A' && c <= 'Z') shift_[c - 'A' + 'a'] = length - 1 - i;
  }
}

bool Marker::FoundIn(std::string_view line) const {
  const std::size_t length = folded_.size();
  if (length == 0) return true;
  if (line.size() < length) return false;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(line.data());
  const unsigned char* pattern = reinterpret_cast<const unsigned char*>(folded_.data());
  for (std::size_t start = 0; start + length <= line.size();) {
    std::size_t i = length;
    while (i > 0 && FoldByte(bytes[start + i - 1]) == pattern[i - 1]) --i;
    if (i == 0) return true;
    start += shift_[bytes[start + length - 1]];
  }
  return false;
}

bool ContainsMarker(std::string_view line, std::string_view marker) {
  return Marker(marker).FoundIn(line);
}

}  // namespace cad
