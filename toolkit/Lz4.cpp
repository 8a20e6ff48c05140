#include "toolkit/Lz4.h"

namespace toolkit {
namespace {

// A length that goes on in further bytes while they are 255; false past the end of the data.
bool ExtendLength(const std::uint8_t* data, std::size_t size, std::size_t& at,
                  std::size_t& length) {
  std::uint8_t more = 255;
  while (more == 255) {
    if (at >= size) return false;
    more = data[at++];
    length += more;
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> UnpackLz4(const std::uint8_t* data, std::size_t size,
                                                   std::size_t expected) {
  std::vector<std::uint8_t> out;
  out.reserve(expected);
  std::size_t at = 0;
  while (at < size) {
    const unsigned token = data[at++];
    std::size_t literals = token >> 4;
    if (literals == 15 && !ExtendLength(data, size, at, literals)) return std::nullopt;
    if (literals > size - at || literals > expected - out.size()) return std::nullopt;
    out.insert(out.end(), data + at, data + at + literals);
    at += literals;
    // The last sequence is literals alone.
    if (at == size) break;
    if (size - at < 2) return std::nullopt;
    const std::size_t offset = data[at] | (data[at + 1] << 8);
    at += 2;
    std::size_t length = (token & 15) + 4;
    if ((token & 15) == 15 && !ExtendLength(data, size, at, length)) return std::nullopt;
    if (offset == 0 || offset > out.size() || length > expected - out.size()) return std::nullopt;
    // Byte by byte: a match may overlap what it is copying.
    for (std::size_t i = 0; i < length; ++i) out.push_back(out[out.size() - offset]);
  }
  if (out.size() != expected) return std::nullopt;
  return out;
}

}  // namespace toolkit
