// How the medium is spread over disks: in the installer's order, each disk filled before the
// next, rooms counted in whole sectors, a floppy's real room, and a clear refusal of a file that
// fits on no disk (the installer would otherwise ask for a disk forever).
#include "tools/medium/Disks.h"

#include <gtest/gtest.h>

#include "tools/medium/ZipWriter.h"

namespace {

using medium::MediumItem;
using medium::SpreadOverDisks;
using Disks = std::vector<std::vector<std::size_t>>;

TEST(DisksTest, SizesAreReadInBytesKilobytesAndMegabytes) {
  EXPECT_EQ(medium::ParseDiskSize("1440k"), 1474560u);
  EXPECT_EQ(medium::ParseDiskSize("2M"), 2097152u);
  EXPECT_EQ(medium::ParseDiskSize("100000"), 100000u);
  for (const char* bad : {"", "k", "12q", "-5", "1.44m", "100"}) {
    EXPECT_THROW(medium::ParseDiskSize(bad), medium::Error) << bad;
  }
}

TEST(DisksTest, AFloppyKeepsItsDataAreaForFiles) {
  EXPECT_EQ(medium::RoomOnDisk(1474560), 1457664u);
  EXPECT_EQ(medium::RoomOnDisk(100 * 1024), 100u * 1024);
}

TEST(DisksTest, EveryFileTakesWholeSectors) {
  EXPECT_EQ(medium::RoomOf(0), 0u);
  EXPECT_EQ(medium::RoomOf(1), 512u);
  EXPECT_EQ(medium::RoomOf(512), 512u);
  EXPECT_EQ(medium::RoomOf(513), 1024u);
  // Two 300-byte files need two sectors: 1024 bytes do not hold three.
  std::vector<MediumItem> items = {{"a", 300}, {"b", 300}, {"c", 300}};
  EXPECT_EQ(SpreadOverDisks(items, 1024), (Disks{{0, 1}, {2}}));
}

TEST(DisksTest, DisksAreFilledInOrderWithoutReordering) {
  // "c" would fit beside "a", but the installer needs "b" first.
  std::vector<MediumItem> items = {{"a", 600}, {"b", 900}, {"c", 300}, {"d", 1024}};
  EXPECT_EQ(SpreadOverDisks(items, 1024), (Disks{{0}, {1}, {2}, {3}}));
  items = {{"a", 400}, {"b", 400}, {"c", 1000}, {"d", 10}, {"e", 10}};
  EXPECT_EQ(SpreadOverDisks(items, 2048), (Disks{{0, 1, 2}, {3, 4}}));
}

TEST(DisksTest, AFileLargerThanADiskIsRefusedByName) {
  std::vector<MediumItem> items = {{"small.pck", 10}, {"parts-bin.pck", 5000}};
  try {
    SpreadOverDisks(items, 4096);
    FAIL() << "an oversized package was accepted";
  } catch (const medium::Error& error) {
    std::string text = error.what();
    EXPECT_NE(text.find("parts-bin.pck"), std::string::npos) << text;
    EXPECT_NE(text.find("5000"), std::string::npos) << text;
    EXPECT_NE(text.find("4096"), std::string::npos) << text;
  }
}

}  // namespace
