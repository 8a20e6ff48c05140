// The packages' archive writer: what it writes must come out whole and unchanged through the
// installer's own extractor (which checks every CRC) and through Info-ZIP as an independent
// reader; compressible members are deflated and incompressible ones stored; every header carries
// the chosen stamp; the same members always give the same bytes.
#include "tools/medium/ZipWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "tests/tools/ToolTestSupport.h"

namespace {

using namespace tooltest;
using medium::ArchiveMember;
using medium::PackArchive;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> Noise(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

std::uint16_t Le16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

class ZipWriterTest : public ::testing::Test {
 protected:
  ZipWriterTest() {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "M" + std::to_string(i % 64) + " 12.5 40 7.0\r\n";
    text_ = Bytes(text);
    noise_ = Noise(100000, 7);
    members_ = {{"readme.rtf", text_},
                {"data/noise.bin", noise_},
                {"empty.txt", empty_},
                {"data/deep/er/one.txt", one_}};
  }

  fs::path WriteArchive(const std::string& name) {
    fs::path path = temp_ / name;
    auto bytes = PackArchive(members_, medium::kReleaseStamp);
    Write(path, std::string(bytes.begin(), bytes.end()));
    return path;
  }

  TempFolder temp_;
  std::vector<std::uint8_t> text_, noise_, empty_, one_ = Bytes("1");
  std::vector<ArchiveMember> members_;
};

TEST_F(ZipWriterTest, OurExtractorGivesBackEveryMemberByteForByte) {
  fs::path archive = WriteArchive("a.pck");
  ASSERT_EQ(ExtractWithOurExtractor(archive, temp_ / "out"), 0);
  std::map<std::string, std::string> expected = {
      {"readme.rtf", std::string(text_.begin(), text_.end())},
      {"data/noise.bin", std::string(noise_.begin(), noise_.end())},
      {"empty.txt", ""},
      {"data/deep/er/one.txt", "1"}};
  EXPECT_EQ(Files(temp_ / "out"), expected);
}

TEST_F(ZipWriterTest, InfoZipFindsNoError) {
  if (std::system("command -v unzip >/dev/null 2>&1") != 0) GTEST_SKIP() << "no unzip installed";
  fs::path archive = WriteArchive("a.pck");
  EXPECT_EQ(std::system(("unzip -tq '" + archive.string() + "' >/dev/null").c_str()), 0);
}

TEST_F(ZipWriterTest, TextIsDeflatedAndNoiseIsStored) {
  members_ = {{"text", text_}};
  auto text = PackArchive(members_, medium::kReleaseStamp);
  EXPECT_EQ(Le16(text, 8), 8);
  EXPECT_LT(text.size(), text_.size() / 4);
  members_ = {{"noise", noise_}};
  auto noise = PackArchive(members_, medium::kReleaseStamp);
  EXPECT_EQ(Le16(noise, 8), 0);
  EXPECT_LT(noise.size(), noise_.size() + 200);
}

TEST_F(ZipWriterTest, EveryHeaderCarriesTheStamp) {
  const medium::DosStamp stamp = medium::MakeDosStamp(2007, 3, 14, 15, 9, 26);
  auto bytes = PackArchive(members_, stamp);
  int local = 0, central = 0;
  for (std::size_t at = 0; at + 4 <= bytes.size(); ++at) {
    if (bytes[at] != 'P' || bytes[at + 1] != 'K') continue;
    if (bytes[at + 2] == 3 && bytes[at + 3] == 4) {
      EXPECT_EQ(Le16(bytes, at + 10), stamp.time);
      EXPECT_EQ(Le16(bytes, at + 12), stamp.date);
      ++local;
    } else if (bytes[at + 2] == 1 && bytes[at + 3] == 2) {
      EXPECT_EQ(Le16(bytes, at + 12), stamp.time);
      EXPECT_EQ(Le16(bytes, at + 14), stamp.date);
      ++central;
    }
  }
  // The stored noise could hold a stray signature; the count says no header was missed.
  EXPECT_GE(local, 4);
  EXPECT_EQ(central, 4);
  EXPECT_EQ(stamp.date, ((2007 - 1980) << 9) | (3 << 5) | 14);
  EXPECT_EQ(stamp.time, (15 << 11) | (9 << 5) | 13);
}

TEST_F(ZipWriterTest, AnEmptyPackageIsAValidArchive) {
  auto bytes = PackArchive({}, medium::kReleaseStamp);
  EXPECT_EQ(bytes.size(), 22u);
  Write(temp_ / "empty.pck", std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(ExtractWithOurExtractor(temp_ / "empty.pck", temp_ / "out"), 0);
  EXPECT_TRUE(Files(temp_ / "out").empty());
}

TEST_F(ZipWriterTest, TheSameMembersGiveTheSameBytes) {
  EXPECT_EQ(PackArchive(members_, medium::kReleaseStamp),
            PackArchive(members_, medium::kReleaseStamp));
}

TEST_F(ZipWriterTest, StampsOutsideTheDosRangeAreRefused) {
  EXPECT_THROW(medium::MakeDosStamp(1979, 12, 31, 0, 0, 0), medium::Error);
}

}  // namespace
