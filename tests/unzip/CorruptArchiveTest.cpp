// Damaged, truncated and lying archives, hostile names and a disk that fills up. Whatever the
// archive holds, the extractor must not crash, must not write outside the target folder, and must
// never leave a file under a member's name unless that file is exactly the member's content; a
// file an earlier installation left must survive a member that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "TestArchive.h"
#include "TestHelpers.h"
#include "unzip/Extract.h"

namespace unzip::test {
namespace {

std::string Text(std::size_t size, unsigned seed) {
  std::string text(size, '\0');
  for (auto& c : text) {
    seed = seed * 1103515245 + 12345;
    c = char("abcdefgh \n"[(seed >> 16) % 10]);
  }
  return text;
}

class CorruptArchiveTest : public ::testing::Test {
 protected:
  std::string Write(const std::vector<std::uint8_t>& bytes) {
    const std::string path = work_ / "package.pck";
    WriteBytes(path, bytes);
    return path;
  }
  // Every file in the target is one of the members, with exactly its content. (A damaged name
  // cannot be told from a real one, so only the content is held against the members.)
  void ExpectOnlyIntactMembers(const TempDir& target, const std::vector<TestMember>& members) {
    for (const auto& name : ListTree(target.Path())) {
      if (name.back() == '/') continue;
      const auto content = ReadText(target / name);
      ASSERT_TRUE(content.has_value()) << name;
      const auto it = std::find_if(members.begin(), members.end(),
                                   [&](const TestMember& m) { return m.content == *content; });
      EXPECT_NE(it, members.end()) << "file " << name << " is no member's content";
    }
  }
  TempDir work_;
  TempDir target_;
};

TEST_F(CorruptArchiveTest, BadCrcFailsTheMemberAndKeepsTheInstalledFile) {
  WriteText(target_ / "a.txt", "installed");
  const auto archive =
      Write(MakeArchive({{.name = "a.txt", .content = "new content", .crc = 0x12345678},
                         {.name = "b.txt", .content = "fine"}}));
  EXPECT_EQ(ExtractInto(archive, target_.Path()), 1);
  EXPECT_EQ(ReadText(target_ / "a.txt"), "installed");
  EXPECT_EQ(ReadText(target_ / "b.txt"), "fine");
  EXPECT_EQ(ListTree(target_.Path()), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// Members that point at the data of a member other than the one before them: the way a tiny
// archive claims many times its size. Each is refused, whatever stands between them.
TEST_F(CorruptArchiveTest, AMemberReadingAnyEarlierMembersDataIsRefused) {
  const std::string shared(5000, 's');
  auto bytes = MakeArchive({{.name = "a.dat", .content = shared},
                            {.name = "b.dat", .content = "between"},
                            {.name = "c.dat", .content = shared},
                            {.name = "d.dat", .content = shared}});
  // The directory entries of c.dat and d.dat are made to point at a.dat's local header.
  const std::uint8_t central[] = {'P', 'K', 1, 2};
  int entry = 0;
  for (auto at = bytes.begin();
       (at = std::search(at, bytes.end(), std::begin(central), std::end(central))) != bytes.end();
       ++at) {
    if (++entry >= 3) std::fill(at + 42, at + 46, std::uint8_t(0));
  }
  ASSERT_EQ(entry, 4);
  EXPECT_EQ(ExtractInto(Write(bytes), target_.Path()), 2);
  EXPECT_EQ(ListTree(target_.Path()), (std::vector<std::string>{"a.dat", "b.dat"}));
}

TEST_F(CorruptArchiveTest, MemberLargerOrSmallerThanItsHeaderSaysFails) {
  const std::string text = Text(200000, 1);
  for (const std::uint64_t claimed : {std::uint64_t(100), std::uint64_t(199999),
                                      std::uint64_t(200001), std::uint64_t(4000000000u)}) {
    for (const bool deflate : {true, false}) {
      TempDir target;
      TestMember lie{.name = "lie.bin", .content = text, .deflate = deflate, .size = claimed};
      const auto archive = Write(MakeArchive({lie}));
      EXPECT_EQ(ExtractInto(archive, target.Path()), 1) << claimed << " " << deflate;
      EXPECT_TRUE(ListTree(target.Path()).empty()) << claimed << " " << deflate;
    }
  }
}

TEST_F(CorruptArchiveTest, EncryptedAndUnknownMethodsFailOneByOne) {
  const auto archive = Write(
      MakeArchive({{.name = "secret.txt", .content = "not really", .deflate = false, .flags = 1},
                   {.name = "bzip2.txt", .content = "BZh", .method = 12},
                   {.name = "deflate64.txt", .content = "xx", .method = 9},
                   {.name = "plain.txt", .content = "plain"}}));
  EXPECT_EQ(ExtractInto(archive, target_.Path()), 3);
  EXPECT_EQ(ListTree(target_.Path()), std::vector<std::string>{"plain.txt"});
}

TEST_F(CorruptArchiveTest, HostileNamesNeverLeaveTheTargetFolder) {
  TempDir outer;
  const std::string target = outer / "target";
  ASSERT_TRUE(std::filesystem::create_directory(target));
  const std::vector<std::string> hostile = {"../evil1",
                                            "a/../../evil2",
                                            "..\\evil3",
                                            "/tmp/evil4",
                                            "C:/evil5",
                                            "C:evil6",
                                            "\\\\server\\share\\evil7",
                                            "CON",
                                            "dir/NUL.txt",
                                            "com1",
                                            "lpt1.log",
                                            "a/./b",
                                            "evil8:stream",
                                            std::string("te\0st", 5),
                                            ""};
  std::vector<TestMember> members;
  for (const auto& name : hostile) members.push_back({.name = name, .content = "evil"});
  members.push_back({.name = "good.txt", .content = "good"});
  const auto archive = Write(MakeArchive(members));
  EXPECT_EQ(ExtractInto(archive, target), std::int32_t(hostile.size()));
  EXPECT_EQ(ListTree(outer.Path()), (std::vector<std::string>{"target/", "target/good.txt"}));
  EXPECT_FALSE(std::filesystem::exists("/tmp/evil4"));
}

TEST_F(CorruptArchiveTest, FullDiskFailsTheMemberLeavesNoPartAndGoesOn) {
  WriteText(target_ / "big.bin", "installed");
  const auto archive = Write(MakeArchive({{.name = "big.bin", .content = Text(600000, 2)},
                                          {.name = "small.txt", .content = "small"}}));
  FullDiskStorage storage(target_.Path(), 300000);
  EXPECT_EQ(ExtractInto(archive, target_.Path(), {.storage = &storage}), 2);
  EXPECT_EQ(ReadText(target_ / "big.bin"), "installed");
  EXPECT_EQ(ListTree(target_.Path()), std::vector<std::string>{"big.bin"});
}

TEST_F(CorruptArchiveTest, FullDiskAfterSomeMembersKeepsThoseMembers) {
  const std::vector<TestMember> members = {{.name = "one.txt", .content = Text(1000, 3)},
                                           {.name = "two.txt", .content = Text(1000, 4)},
                                           {.name = "three.txt", .content = Text(1000, 5)}};
  FullDiskStorage storage(target_.Path(), 2500);
  EXPECT_EQ(ExtractInto(Write(MakeArchive(members)), target_.Path(), {.storage = &storage}), 1);
  EXPECT_EQ(ListTree(target_.Path()), (std::vector<std::string>{"one.txt", "two.txt"}));
  ExpectOnlyIntactMembers(target_, members);
}

TEST_F(CorruptArchiveTest, EveryTruncationFailsCleanly) {
  const std::vector<TestMember> members = {
      {.name = "a/one.txt", .content = Text(3000, 6)},
      {.name = "a/two.bin", .content = Text(5000, 7), .deflate = false},
      {.name = "three.txt", .content = Text(800, 8)}};
  const auto whole = MakeArchive(members);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    TempDir target;
    const auto archive = Write({whole.begin(), whole.begin() + std::ptrdiff_t(length)});
    EXPECT_NE(ExtractInto(archive, target.Path()), 0) << length;
    ExpectOnlyIntactMembers(target, members);
  }
}

TEST_F(CorruptArchiveTest, EveryDamagedByteStillLeavesOnlyIntactFiles) {
  const std::vector<TestMember> members = {
      {.name = "one.txt", .content = Text(700, 9)},
      {.name = "dir/two.txt", .content = Text(300, 10), .deflate = false},
      {.name = "dir/", .content = ""}};
  const auto whole = MakeArchive(members, {.comment = "package"});
  for (std::size_t at = 0; at < whole.size(); ++at) {
    for (const std::uint8_t flip : {std::uint8_t(0x01), std::uint8_t(0xFF)}) {
      TempDir target;
      auto damaged = whole;
      damaged[at] ^= flip;
      ExtractInto(Write(damaged), target.Path());
      ExpectOnlyIntactMembers(target, members);
    }
  }
}

TEST_F(CorruptArchiveTest, EntriesSharingOneMembersDataAreRefused) {
  // A "zip bomb" points many directory entries at the same compressed data; here the second and
  // third entries copy the first one's header offset.
  auto bytes = MakeArchive({{.name = "a.txt", .content = Text(5000, 11)},
                            {.name = "b.txt", .content = Text(5000, 11)},
                            {.name = "c.txt", .content = Text(5000, 11)}});
  std::vector<std::size_t> central;
  for (std::size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (bytes[i] == 'P' && bytes[i + 1] == 'K' && bytes[i + 2] == 1 && bytes[i + 3] == 2) {
      central.push_back(i);
    }
  }
  ASSERT_EQ(central.size(), 3u);
  for (std::size_t k = 1; k < 3; ++k)
    std::fill_n(bytes.begin() + std::ptrdiff_t(central[k] + 42), 4, 0);
  EXPECT_EQ(ExtractInto(Write(bytes), target_.Path()), 2);
  EXPECT_EQ(ListTree(target_.Path()), std::vector<std::string>{"a.txt"});
}

TEST_F(CorruptArchiveTest, DirectoryShorterThanAnnouncedCountsOneFailure) {
  const auto archive =
      Write(MakeArchive({{.name = "a.txt", .content = "a"}}, {.entryCount = 60000}));
  EXPECT_EQ(ExtractInto(archive, target_.Path()), 1);
  EXPECT_EQ(ReadText(target_ / "a.txt"), "a");
}

TEST_F(CorruptArchiveTest, NotAnArchiveIsRefusedAsAWhole) {
  for (const std::string& content :
       {std::string(), std::string("PK"), std::string(100, 'x'), std::string("PK\5\6", 4)}) {
    const std::string path = work_ / "not.pck";
    WriteText(path, content);
    EXPECT_EQ(ExtractInto(path, target_.Path()), kUnzipBadArchive);
  }
  EXPECT_EQ(ExtractInto(work_.Path(), target_.Path()), kUnzipBadArchive);  // a folder
  EXPECT_TRUE(ListTree(target_.Path()).empty());
}

TEST_F(CorruptArchiveTest, MissingArchiveNameIsBadParams) {
  UnzipParams params{};
  PosixStorage storage(target_.Path());
  EXPECT_EQ(Extract(params, storage), kUnzipBadParams);
  params.ArchiveName = "x";
  params.FileSpecCount = -1;
  EXPECT_EQ(Extract(params, storage), kUnzipBadParams);
}

}  // namespace
}  // namespace unzip::test
