// Extraction of sound archives as the installer uses it: every member or the ones a
// file spec names, folders made on the way, files of an earlier installation replaced, dates
// kept, and archives written by Info-ZIP's zip read back byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "TestArchive.h"
#include "TestHelpers.h"

namespace unzip::test {
namespace {

class ExtractTest : public ::testing::Test {
 protected:
  std::string Archive(const std::vector<TestMember>& members,
                      const TestArchiveOptions& options = {}) {
    const std::string path = work_ / "package.pck";
    WriteBytes(path, MakeArchive(members, options));
    return path;
  }
  std::vector<TestMember> Package() {
    return {{.name = "readme.rtf", .content = "{\\rtf1 readme}"},
            {.name = "Parts/", .content = ""},
            {.name = "Parts/Bin/tol.exe", .content = std::string(70000, 'x'), .deflate = false},
            {.name = "Parts/Img/pump.bmp", .content = std::string(5000, '\x7f')},
            {.name = "empty.txt", .content = ""}};
  }
  TempDir work_;
  TempDir target_;
};

TEST_F(ExtractTest, EveryMemberWithItsFolders) {
  ASSERT_EQ(ExtractInto(Archive(Package()), target_.Path()), 0);
  EXPECT_EQ(ListTree(target_.Path()),
            (std::vector<std::string>{"Parts/", "Parts/Bin/", "Parts/Bin/tol.exe", "Parts/Img/",
                                      "Parts/Img/pump.bmp", "empty.txt", "readme.rtf"}));
  EXPECT_EQ(ReadText(target_ / "readme.rtf"), "{\\rtf1 readme}");
  EXPECT_EQ(ReadText(target_ / "Parts/Bin/tol.exe"), std::string(70000, 'x'));
  EXPECT_EQ(ReadText(target_ / "Parts/Img/pump.bmp"), std::string(5000, '\x7f'));
  EXPECT_EQ(ReadText(target_ / "empty.txt"), "");
}

// Bit 11 says the names are UTF-8: they are written as the code page 1252 names they stand for.
TEST_F(ExtractTest, NamesFlaggedAsUtf8AreWrittenInTheInstallersCodePage) {
  const std::string archive =
      Archive({{.name = "pi\xC3\xA8"
                        "ce.dat",
                .content = "a",
                .flags = 0x0800},
               {.name = "\xE4\xB8\xAD.dat", .content = "b", .flags = 0x0800}});
  EXPECT_EQ(ExtractInto(archive, target_.Path()), 1);
  EXPECT_EQ(ReadText(target_ / "pi\xE8"
                               "ce.dat"),
            "a");
  EXPECT_EQ(ListTree(target_.Path()), std::vector<std::string>{"pi\xE8"
                                                               "ce.dat"});
}

TEST_F(ExtractTest, ExistingFilesAreReplacedOnReinstall) {
  WriteText(target_ / "readme.rtf", "old readme that is much longer than the new one");
  ASSERT_EQ(ExtractInto(Archive(Package()), target_.Path()), 0);
  ASSERT_EQ(ExtractInto(Archive(Package()), target_.Path()), 0);
  EXPECT_EQ(ReadText(target_ / "readme.rtf"), "{\\rtf1 readme}");
}

TEST_F(ExtractTest, MembersKeepTheirDates) {
  // 2003-07-15 08:30:42, as MS-DOS stores it.
  const std::uint16_t date = std::uint16_t(((2003 - 1980) << 9) | (7 << 5) | 15);
  const std::uint16_t time = std::uint16_t((8 << 11) | (30 << 5) | (42 / 2));
  ASSERT_EQ(
      ExtractInto(Archive({{.name = "dir/old.dwg", .content = "dwg", .date = date, .time = time}}),
                  target_.Path()),
      0);
  struct stat info {};
  ASSERT_EQ(::stat((target_ / "dir/old.dwg").c_str(), &info), 0);
  std::tm local{};
  const std::time_t mtime = info.st_mtime;
  ::localtime_r(&mtime, &local);
  EXPECT_EQ(local.tm_year + 1900, 2003);
  EXPECT_EQ(local.tm_mon + 1, 7);
  EXPECT_EQ(local.tm_mday, 15);
  EXPECT_EQ(local.tm_hour, 8);
  EXPECT_EQ(local.tm_min, 30);
  EXPECT_EQ(local.tm_sec, 42);
}

TEST_F(ExtractTest, SpecSelectsByBaseNameWithoutRegardToCase) {
  ASSERT_EQ(ExtractInto(Archive(Package()), target_.Path(), {.specs = {"PUMP.BMP"}}), 0);
  EXPECT_EQ(ListTree(target_.Path()),
            (std::vector<std::string>{"Parts/", "Parts/Img/", "Parts/Img/pump.bmp"}));
}

TEST_F(ExtractTest, SpecWithWildcardOrFullName) {
  ASSERT_EQ(ExtractInto(Archive(Package()), target_.Path(), {.specs = {"parts/bin/*.EXE"}}), 0);
  EXPECT_EQ(ListTree(target_.Path()),
            (std::vector<std::string>{"Parts/", "Parts/Bin/", "Parts/Bin/tol.exe"}));
}

TEST_F(ExtractTest, SpecMatchingNothingExtractsNothing) {
  EXPECT_EQ(ExtractInto(Archive(Package()), target_.Path(), {.specs = {"missing.bmp"}}), 0);
  EXPECT_TRUE(ListTree(target_.Path()).empty());
}

TEST_F(ExtractTest, SeveralSpecsEachSelect) {
  ASSERT_EQ(ExtractInto(Archive(Package()), target_.Path(), {.specs = {"readme.rtf", "empty.txt"}}),
            0);
  EXPECT_EQ(ListTree(target_.Path()), (std::vector<std::string>{"empty.txt", "readme.rtf"}));
}

TEST_F(ExtractTest, DataDescriptorsAndZip64AreRead) {
  const std::string text(100000, 'z');
  ASSERT_EQ(ExtractInto(Archive({{.name = "streamed.txt", .content = text, .dataDescriptor = true},
                                 {.name = "wide.txt", .content = "zip64", .zip64 = true}},
                                {.zip64End = true}),
                        target_.Path()),
            0);
  EXPECT_EQ(ReadText(target_ / "streamed.txt"), text);
  EXPECT_EQ(ReadText(target_ / "wide.txt"), "zip64");
}

TEST_F(ExtractTest, MembersNamedLikeTemporaryFilesAreKept) {
  ASSERT_EQ(ExtractInto(Archive({{.name = "~unzip0.tmp", .content = "mine"},
                                 {.name = "~unzip1.tmp", .content = "mine too"},
                                 {.name = "b", .content = "b"}}),
                        target_.Path()),
            0);
  EXPECT_EQ(ReadText(target_ / "~unzip0.tmp"), "mine");
  EXPECT_EQ(ReadText(target_ / "~unzip1.tmp"), "mine too");
  EXPECT_EQ(ReadText(target_ / "b"), "b");
}

TEST_F(ExtractTest, FileLeftByAnInterruptedRunIsNotTouched) {
  WriteText(target_ / "~unzip0.tmp", "someone else's");
  ASSERT_EQ(ExtractInto(Archive({{.name = "a", .content = "a"}}), target_.Path()), 0);
  EXPECT_EQ(ReadText(target_ / "~unzip0.tmp"), "someone else's");
  EXPECT_EQ(ListTree(target_.Path()), (std::vector<std::string>{"a", "~unzip0.tmp"}));
}

TEST_F(ExtractTest, FolderInTheWayOfAFileFailsOnlyThatMember) {
  ASSERT_EQ(::mkdir((target_ / "readme.rtf").c_str(), 0777), 0);
  EXPECT_EQ(ExtractInto(Archive(Package()), target_.Path()), 1);
  EXPECT_EQ(ReadText(target_ / "Parts/Img/pump.bmp"), std::string(5000, '\x7f'));
  // No temporary file is left beside the folder.
  EXPECT_EQ(ListTree(target_.Path()),
            (std::vector<std::string>{"Parts/", "Parts/Bin/", "Parts/Bin/tol.exe", "Parts/Img/",
                                      "Parts/Img/pump.bmp", "empty.txt", "readme.rtf/"}));
}

// Archives from Info-ZIP's zip, as the packages are made.
class ZipToolTest : public ExtractTest {
 protected:
  void SetUp() override {
    if (std::system("zip -v > /dev/null 2>&1") != 0)
      GTEST_SKIP() << "Info-ZIP zip is not installed";
  }
  void Zip(const std::string& options) {
    const std::string command = "cd '" + source_.Path() + "' && zip -q -X " + options + " '" +
                                (work_ / "made.zip") + "' -r . > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  TempDir source_;
};

TEST_F(ZipToolTest, DeflatedStoredAndEmptyMembersRoundTrip) {
  ASSERT_EQ(::mkdir((source_ / "sub").c_str(), 0777), 0);
  ASSERT_EQ(::mkdir((source_ / "sub/empty").c_str(), 0777), 0);
  std::string binary(300000, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = char((i * 7919) >> 3);
  WriteText(source_ / "a.lsp", "(defun c:tol () (princ))\r\n");
  WriteText(source_ / "sub/b.bin", binary);
  WriteText(source_ / "sub/zero", "");
  for (const char* options : {"-9", "-0"}) {
    Zip(options);
    TempDir target;
    ASSERT_EQ(ExtractInto(work_ / "made.zip", target.Path()), 0) << options;
    EXPECT_EQ(ListTree(target.Path()), ListTree(source_.Path())) << options;
    EXPECT_EQ(ReadText(target / "sub/b.bin"), binary) << options;
    EXPECT_EQ(ReadText(target / "a.lsp"), "(defun c:tol () (princ))\r\n") << options;
    std::remove((work_ / "made.zip").c_str());
  }
}

TEST_F(ZipToolTest, StreamedArchiveFromAPipe) {
  // zip reading standard input writes a data descriptor and no sizes in the local header.
  const std::string command = "printf 'piped text' | zip -q - - > '" + (work_ / "piped.zip") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ASSERT_EQ(ExtractInto(work_ / "piped.zip", target_.Path()), 0);
  EXPECT_EQ(ReadText(target_ / "-"), "piped text");
}

}  // namespace
}  // namespace unzip::test
