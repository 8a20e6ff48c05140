// LZ4 blocks (literal runs and back-references, no entropy coding): the form in which the product
// picture and the configuration block's texts travel in INSTALL.EXE. Unpacking takes a few lines
// instead of a decompression library. The texts are packed while the program is compiled
// (PackLz4 is constexpr), so that only the packed bytes are in the program.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace toolkit {

// Up to `Capacity` bytes, `size` of them used.
template <std::size_t Capacity>
struct Lz4Bytes {
  std::array<std::uint8_t, Capacity> bytes{};
  std::size_t size = 0;
};

// One LZ4 block of the first `input.size` bytes of `input`. Greedy: at each place, the longest
// of the last 32 earlier places that begin with the same four bytes. `Capacity` must hold the
// block; a block that would not fit does not compile where it is evaluated while compiling.
template <std::size_t Capacity, std::size_t InputCapacity>
constexpr Lz4Bytes<Capacity> PackLz4(const Lz4Bytes<InputCapacity>& input) {
  constexpr int kHashBits = 12;
  constexpr std::size_t kMinMatch = 4;
  // The last match ends five bytes before the block's end, which are literals.
  constexpr std::size_t kTail = 5;
  const auto& in = input.bytes;
  const std::size_t n = input.size;
  const std::size_t end = n > kTail ? n - kTail : 0;
  Lz4Bytes<Capacity> out;
  std::array<int, std::size_t(1) << kHashBits> head{};
  for (int& place : head) place = -1;
  std::array<int, InputCapacity> previous{};
  const auto hash = [&](std::size_t at) {
    const std::uint32_t word = std::uint32_t(in[at]) | std::uint32_t(in[at + 1]) << 8 |
                               std::uint32_t(in[at + 2]) << 16 | std::uint32_t(in[at + 3]) << 24;
    return (word * 2654435761u) >> (32 - kHashBits);
  };
  const auto insert = [&](std::size_t at) {
    if (at + kMinMatch > n) return;
    const auto h = hash(at);
    previous[at] = head[h];
    head[h] = int(at);
  };
  const auto put = [&](std::size_t byte) { out.bytes[out.size++] = std::uint8_t(byte); };
  const auto putLength = [&](std::size_t length) {
    for (; length >= 255; length -= 255) put(255);
    put(length);
  };
  std::size_t anchor = 0;
  const auto emit = [&](std::size_t literalsEnd, std::size_t length, std::size_t offset) {
    const std::size_t literals = literalsEnd - anchor;
    std::size_t token = (literals < 15 ? literals : 15) << 4;
    if (length != 0) token |= length - kMinMatch < 15 ? length - kMinMatch : 15;
    put(token);
    if (literals >= 15) putLength(literals - 15);
    for (std::size_t at = anchor; at < literalsEnd; ++at) put(in[at]);
    if (length == 0) return;
    put(offset & 255);
    put(offset >> 8);
    if (length - kMinMatch >= 15) putLength(length - kMinMatch - 15);
  };
  std::size_t at = 0;
  while (at + kMinMatch <= end) {
    std::size_t best = 0;
    std::size_t offset = 0;
    int tries = 32;
    for (int from = head[hash(at)]; from >= 0 && tries-- > 0; from = previous[from]) {
      if (at - std::size_t(from) > 65535) break;
      std::size_t length = 0;
      while (at + length < end && in[std::size_t(from) + length] == in[at + length]) ++length;
      if (length > best) {
        best = length;
        offset = at - std::size_t(from);
      }
    }
    if (best < kMinMatch) {
      insert(at++);
      continue;
    }
    emit(at, best, offset);
    for (std::size_t k = at; k < at + best; ++k) insert(k);
    at += best;
    anchor = at;
  }
  emit(n, 0, 0);
  return out;
}

// One LZ4 block unpacked into exactly `expected` bytes; nothing for data that would read or write
// past an end, or point before the start.
std::optional<std::vector<std::uint8_t>> UnpackLz4(const std::uint8_t* data, std::size_t size,
                                                   std::size_t expected);

}  // namespace toolkit
