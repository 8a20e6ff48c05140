// The SHA-256 of the medium's SHA256SUMS against the standard's own examples (FIPS 180-4's
// one-block, two-block and million-byte messages, and the empty one), and the same digest however
// the bytes are handed in: the block buffer is where such code goes wrong.
#include "tools/medium/Sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Sha256Test, GivesTheStandardsDigests) {
  const struct {
    std::string message;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlm"
       "nopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(medium::Sha256Hex(Bytes(c.message)), c.digest) << c.message.size() << " bytes";
  }
}

TEST(Sha256Test, TheSameDigestWhateverPiecesTheBytesComeIn) {
  std::vector<std::uint8_t> bytes(1000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
  for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u}) {
    const std::span<const std::uint8_t> message(bytes.data(), length);
    const std::string whole = medium::Sha256Hex(message);
    for (std::size_t piece : {1u, 3u, 63u, 64u, 100u}) {
      medium::Sha256 sha;
      for (std::size_t at = 0; at < length; at += piece) {
        sha.Add(message.subspan(at, std::min(piece, length - at)));
      }
      std::string hex;
      for (std::uint8_t byte : sha.Finish()) {
        static constexpr char kDigits[] = "0123456789abcdef";
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
      }
      EXPECT_EQ(hex, whole) << length << " bytes in pieces of " << piece;
    }
  }
}

}  // namespace
