#include "toolkit/RunLength.h"

#include <cstring>

#include "toolkit/Lz4.h"

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

std::optional<Picture> DecodePackedPicture(const std::uint8_t* data, std::size_t size) {
  if (size < 8 || std::memcmp(data, "TRL4", 4) != 0) return DecodeRunLength(data, size);
  const std::size_t expected = std::size_t(data[4]) | std::size_t(data[5]) << 8 |
                               std::size_t(data[6]) << 16 | std::size_t(data[7]) << 24;
  // The picture's runs are a few hundred kilobytes at most; a larger claim is damaged data.
  if (expected > (16u << 20)) return std::nullopt;
  const auto runs = UnpackLz4(data + 8, size - 8, expected);
  if (!runs) return std::nullopt;
  return DecodeRunLength(runs->data(), runs->size());
}

}  // namespace toolkit
