// The packing the configuration block's texts go through while the program compiles: whatever
// the input (nothing, fewer bytes than a match needs, long runs, matches far back, text), the
// block unpacks to exactly the input, and a damaged block unpacks to nothing.
#include "toolkit/Lz4.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::size_t kCapacity = 80 * 1024;

toolkit::Lz4Bytes<kCapacity> BytesOf(const std::string& text) {
  toolkit::Lz4Bytes<kCapacity> bytes;
  for (char c : text) bytes.bytes[bytes.size++] = std::uint8_t(c);
  return bytes;
}

std::string RoundTrip(const std::string& text) {
  const auto packed = toolkit::PackLz4<kCapacity>(BytesOf(text));
  const auto unpacked = toolkit::UnpackLz4(packed.bytes.data(), packed.size, text.size());
  return unpacked ? std::string(unpacked->begin(), unpacked->end()) : "<nothing>";
}

TEST(Lz4Test, PackedBytesUnpackToTheInput) {
  // Bytes that never repeat four in a row nearby, then their start again.
  std::string far;
  for (std::uint32_t state = 1; far.size() < 70000;) {
    state = state * 1664525u + 1013904223u;
    far += char(state >> 24);
  }
  far += far.substr(0, 300);  // a match more than 65535 bytes back cannot be referred to
  std::string text;
  for (int i = 0; i < 200; ++i)
    text += "Il registro " + std::to_string(i) + " \xE8 danneggiato.\r\n";
  for (const std::string& input :
       {std::string(), std::string("abc"), std::string("abcdefgh"), std::string(5000, 'x'),
        std::string(300, '\0') + "tail", far, text}) {
    EXPECT_EQ(RoundTrip(input), input) << input.size();
  }
  EXPECT_LT(toolkit::PackLz4<kCapacity>(BytesOf(text)).size, text.size() / 4);
}

TEST(Lz4Test, ADamagedBlockUnpacksToNothing) {
  const std::string text = "one two three one two three one two three, and the rest";
  const auto packed = toolkit::PackLz4<kCapacity>(BytesOf(text));
  const std::uint8_t* data = packed.bytes.data();
  EXPECT_FALSE(toolkit::UnpackLz4(data, packed.size - 1, text.size()));  // cut short
  EXPECT_FALSE(toolkit::UnpackLz4(data, packed.size, text.size() + 1));  // a size it does not have
  auto wrong = packed;
  wrong.bytes[0] = 0x0F;  // a match before the first byte
  EXPECT_FALSE(toolkit::UnpackLz4(wrong.bytes.data(), wrong.size, text.size()));
}

}  // namespace
