#include "toolkit/RunLength.h"

#include <cstring>

namespace toolkit {

std::optional<Picture> DecodeRunLength(const std::uint8_t* data, std::size_t size) {
  if (size < 8 || std::memcmp(data, "TRLE", 4) != 0) return std::nullopt;
  Picture picture;
  picture.width = data[4] | (data[5] << 8);
  picture.height = data[6] | (data[7] << 8);
  const std::size_t total = std::size_t(picture.width) * std::size_t(picture.height) * 3;
  picture.bgr.reserve(total);
  std::size_t at = 8;
  while (picture.bgr.size() < total) {
    if (at >= size) return std::nullopt;
    unsigned n = data[at++];
    std::size_t count = n < 128 ? n + 1 : n - 127;
    std::size_t bytes = n < 128 ? 3 : count * 3;
    if (size - at < bytes || total - picture.bgr.size() < count * 3) return std::nullopt;
    if (n < 128) {
      for (std::size_t i = 0; i < count; ++i)
        picture.bgr.insert(picture.bgr.end(), data + at, data + at + 3);
    } else {
      picture.bgr.insert(picture.bgr.end(), data + at, data + at + bytes);
    }
    at += bytes;
  }
  if (at != size) return std::nullopt;
  return picture;
}

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

// One LZ4 block into exactly `expected` bytes; nothing for data that would read or write past an
// end, or point before the start.
std::optional<std::vector<std::uint8_t>> UnpackBlock(const std::uint8_t* data, std::size_t size,
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

}  // namespace

std::optional<Picture> DecodePackedPicture(const std::uint8_t* data, std::size_t size) {
  if (size < 8 || std::memcmp(data, "TRL4", 4) != 0) return DecodeRunLength(data, size);
  const std::size_t expected = std::size_t(data[4]) | std::size_t(data[5]) << 8 |
                               std::size_t(data[6]) << 16 | std::size_t(data[7]) << 24;
  // The picture's runs are a few hundred kilobytes at most; a larger claim is damaged data.
  if (expected > (16u << 20)) return std::nullopt;
  const auto runs = UnpackBlock(data + 8, size - 8, expected);
  if (!runs) return std::nullopt;
  return DecodeRunLength(runs->data(), runs->size());
}

}  // namespace toolkit
