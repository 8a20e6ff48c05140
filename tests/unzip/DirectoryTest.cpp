// Finding the central directory. The end record is searched backwards from the end of the file,
// and archive comments, junk after the archive, a self-extractor stub in front of it and ZIP64
// records all move it or imitate it.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestArchive.h"
#include "TestHelpers.h"

namespace unzip::test {
namespace {

class DirectoryTest : public ::testing::Test {
 protected:
  std::int32_t Extract(const std::vector<std::uint8_t>& bytes) {
    const std::string path = work_ / "package.pck";
    WriteBytes(path, bytes);
    return ExtractInto(path, target_.Path());
  }
  const std::vector<TestMember> members_ = {{.name = "one.txt", .content = "one"},
                                            {.name = "two.txt", .content = "two"}};
  TempDir work_;
  TempDir target_;
};

TEST_F(DirectoryTest, LongestCommentIsFound) {
  ASSERT_EQ(Extract(MakeArchive(members_, {.comment = std::string(65535, 'c')})), 0);
  EXPECT_EQ(ReadText(target_ / "two.txt"), "two");
}

TEST_F(DirectoryTest, EndRecordImitatedInTheCommentIsPassedOver) {
  // The comment holds a whole second archive whose member must not appear.
  const auto inner = MakeArchive({{.name = "decoy.txt", .content = "decoy"}});
  ASSERT_EQ(Extract(MakeArchive(members_, {.comment = std::string(inner.begin(), inner.end())})),
            0);
  EXPECT_EQ(ListTree(target_.Path()), (std::vector<std::string>{"one.txt", "two.txt"}));
}

TEST_F(DirectoryTest, JunkAfterTheArchiveIsIgnored) {
  auto bytes = MakeArchive(members_);
  bytes.insert(bytes.end(), 1000, 0x55);
  ASSERT_EQ(Extract(bytes), 0);
  EXPECT_EQ(ReadText(target_ / "one.txt"), "one");
}

TEST_F(DirectoryTest, SelfExtractorStubInFrontIsSkipped) {
  ASSERT_EQ(Extract(MakeArchive(members_, {.prefix = "MZ" + std::string(5000, '\x90')})), 0);
  EXPECT_EQ(ReadText(target_ / "two.txt"), "two");
}

TEST_F(DirectoryTest, Zip64EndRecordIsFollowedEvenBehindAStub) {
  ASSERT_EQ(Extract(MakeArchive(members_, {.prefix = std::string(777, 'j'), .zip64End = true})), 0);
  EXPECT_EQ(ReadText(target_ / "one.txt"), "one");
}

TEST_F(DirectoryTest, EmptyArchiveIsNoFailure) {
  EXPECT_EQ(Extract(MakeArchive({})), 0);
  EXPECT_EQ(Extract(MakeArchive({}, {.comment = "nothing here"})), 0);
  EXPECT_TRUE(ListTree(target_.Path()).empty());
}

TEST_F(DirectoryTest, ArchiveSpanningDisksIsRefused) {
  auto bytes = MakeArchive(members_);
  bytes[bytes.size() - 22 + 4] = 1;  // number of this disk
  EXPECT_EQ(Extract(bytes), kUnzipBadArchive);
  EXPECT_TRUE(ListTree(target_.Path()).empty());
}

// Writers may leave the classic record's disk numbers at 0xFFFF, meaning "see the ZIP64 record".
std::vector<std::uint8_t> Zip64WithSaturatedDisks(const std::vector<TestMember>& members) {
  auto bytes = MakeArchive(members, {.zip64End = true});
  std::fill_n(bytes.end() - 22 + 4, 4, 0xFF);
  return bytes;
}

TEST_F(DirectoryTest, Zip64DiskNumbersAreReadFromTheZip64Record) {
  ASSERT_EQ(Extract(Zip64WithSaturatedDisks(members_)), 0);
  EXPECT_EQ(ReadText(target_ / "two.txt"), "two");
}

TEST_F(DirectoryTest, Zip64ArchiveSpanningDisksIsRefused) {
  auto bytes = Zip64WithSaturatedDisks(members_);
  // The ZIP64 end record (56 bytes) sits in front of its locator (20) and the classic record (22).
  bytes[bytes.size() - 22 - 20 - 56 + 16] = 1;  // number of this disk
  EXPECT_EQ(Extract(bytes), kUnzipBadArchive);
  EXPECT_TRUE(ListTree(target_.Path()).empty());
}

}  // namespace
}  // namespace unzip::test
