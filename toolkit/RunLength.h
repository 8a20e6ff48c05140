// The picture format of the program's resources: a 24-bit picture packed by runs, so that the
// product picture (mostly rows of one colour) costs a few kilobytes in INSTALL.EXE instead of
// the 238 KB of its bitmap. tools/make-product-picture.sh writes it.
//
// Layout: "TRLE", width and height as 16-bit little-endian numbers, then packets for the pixels
// row by row from the top, each pixel blue, green, red. A packet starts with a byte n: below 128
// it is followed by one pixel repeated n + 1 times; from 128 on, by n - 127 pixels as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace toolkit {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;  // width * height * 3 bytes, top row first
};

// The picture, or nothing when the data is not a complete, well-formed picture.
std::optional<Picture> DecodeRunLength(const std::uint8_t* data, std::size_t size);

// The form the picture travels in INSTALL.EXE: "TRL4", the size of the run-length data as a
// 32-bit little-endian number, then that data compressed as one LZ4 block (literal runs and
// back-references, no entropy coding). It takes a quarter of the room the runs alone take, and
// unpacking it needs a few lines instead of a decompression library. Plain run-length data
// ("TRLE") is read too. tools/pack-picture.py writes it.
std::optional<Picture> DecodePackedPicture(const std::uint8_t* data, std::size_t size);

}  // namespace toolkit
