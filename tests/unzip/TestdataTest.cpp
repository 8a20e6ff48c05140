// Archives written by other tools and collected by other projects' test suites (Go's
// archive/zip, libzip, zip-rs, the zip-slip collection): ZIP64, data descriptors, comments, junk
// around the archive, bad CRCs, truncation, encryption, methods we do not support, traversal
// names. Each must either extract exactly its members or fail cleanly, member by member, as the
// table says. They are read in place from the shared test data, and skipped when it is absent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "TestHelpers.h"

namespace unzip::test {
namespace {

struct Expectation {
  const char* file;
  std::int32_t result;
  // What the target folder holds afterwards (folders end in '/'); for names that are not
  // printable, only the number of files is given.
  std::vector<std::string> tree;
  std::optional<std::size_t> fileCount = std::nullopt;
};

const std::vector<Expectation>& Table() {
  static const std::vector<Expectation> table = {
      // Sound archives in their many forms.
      {"go/test.zip", 0, {"gophercolor16x16.png", "test.txt"}},
      {"go/test-trailing-junk.zip", 0, {"gophercolor16x16.png", "test.txt"}},
      {"go/crc32-not-streamed.zip", 0, {"bar.txt", "foo.txt"}},
      {"go/dd.zip", 0, {"filename"}},
      {"go/go-no-datadesc-sig.zip", 0, {"bar.txt", "foo.txt"}},
      {"go/go-with-datadesc-sig.zip", 0, {"bar.txt", "foo.txt"}},
      {"go/readme.zip", 0, {"README"}},
      {"go/readme.notzip", 0, {"README"}},  // odd headers, but every byte checks out
      {"go/subdir.zip", 0, {"a/", "a/b/", "a/b/c"}},
      {"go/symlink.zip", 0, {"symlink"}},  // a plain file holding the link's text
      {"go/time-7zip.zip", 0, {"test.txt"}},
      {"go/time-winzip.zip", 0, {"test.txt"}},
      {"go/unix.zip", 0, {"dir/", "dir/bar", "dir/empty/", "hello", "readonly"}},
      {"go/winxp.zip", 0, {"dir/", "dir/bar", "dir/empty/", "hello", "readonly"}},
      {"go/zip64.zip", 0, {"README"}},
      {"go/zip64-2.zip", 0, {"README"}},
      // A UTF-8 name (two Chinese characters) that code page 1252 cannot hold: refused.
      {"go/utf8-infozip.zip", 1, {}, 0},
      {"libzip/testempty.zip", 0, {}},
      {"libzip/teststored.zip", 0, {"abac-repeat.txt"}},
      {"libzip/testdeflated.zip", 0, {"abac-repeat.txt"}},
      {"libzip/testfile-stored-dos.zip", 0, {"abac-repeat.txt"}},
      {"libzip/testcomment.zip", 0, {"file1", "file2", "file3", "file4"}},
      {"libzip/testfile-long-comment.zip", 0, {"testfile.txt"}},
      {"libzip/testdir.zip", 0, {"testdir-noslash/", "testdir/"}},
      {"libzip/junk-at-end.zip", 0, {"test", "testdir/", "testdir/test2"}},
      {"libzip/junk-at-start.zip", 0, {"test", "testdir/", "testdir/test2"}},
      {"libzip/streamed.zip", 0, {"-"}},
      {"libzip/streamed-zip64.zip", 0, {"-"}},
      {"libzip/zip64.zip", 0, {"-"}},
      {"libzip/filename_duplicate.zip", 0, {"test1"}},
      // The comment holds a whole archive; the real one has "test".
      {"libzip/zip-in-archive-comment.zip", 0, {"test"}},
      {"libzip/zip64-in-archive-comment.zip", 0, {"testfile.txt"}},
      // Local headers that disagree with the directory, whose data is still right.
      {"libzip/incons-local-compsize-larger.zip", 0, {"a"}},
      {"libzip/incons-local-crc.zip", 0, {"a"}},
      {"libzip/incons-trailing-garbage.zip", 0, {"test"}},
      {"zip-rs/data_descriptor.zip", 0, {"hello.txt"}},
      {"zip-rs/files_and_dirs.zip", 0, {"dir1/", "dir2/", "file0.txt"}},
      {"zip-rs/comment_garbage.zip", 0, {}},
      {"zip-rs/misaligned_comment.zip", 0, {}},
      {"zip-rs/ntfs.zip", 0, {"mimetype", "test.txt"}},
      {"zip-rs/extended_timestamp_bad.zip", 0, {"mimetype", "test.txt"}},
      {"zip-rs/zip64_demo.zip", 0, {"-"}},
      {"zip-rs/chinese.zip", 0, {}, 1},
      {"zip-rs/non_utf8.zip", 0, {}, 2},
      {"libzip/bigzero-zip.zip", 0, {"bigzero.zip"}},
      // Damaged members fail one by one.
      {"libzip/incons-central-crc.zip", 1, {}},
      {"libzip/incons-data.zip", 1, {}},
      {"libzip/incons-local-filename-long.zip", 1, {}},
      {"libzip/incons-file-count-high.zip", 1, {"a"}},  // the missing entries count once
      // Names that must not be written.
      {"snyk/zip-slip.zip", 1, {"good.txt"}},
      {"snyk/zip-slip-win.zip", 1, {"good.txt"}},
      {"libzip/filename_empty.zip", 1, {}},
      {"libzip/incons-filename-nul-byte.zip", 1, {}},
      {"zip-rs/zip64_magic_in_filename_1.zip", 1, {}},  // "PK\6\6": control characters
      {"libzip/test-cp437.zip", 5, {}, 11},  // the names holding control characters, ':' ...
      // Encryption and methods other than stored and deflated.
      {"libzip/encrypt.zip", 1, {"plain"}},
      {"libzip/encrypt-aes128.zip", 1, {"plain"}},
      {"libzip/encrypt-aes256.zip", 1, {"plain"}},
      {"libzip/encrypt-1234.zip", 1, {}},
      {"libzip/empty-pkware.zip", 1, {}},
      {"zip-rs/aes_archive.zip", 4, {}},
      {"zip-rs/ignore_encryption_flag.zip", 1, {}},
      {"libzip/testbzip2.zip", 1, {}},
      {"libzip/testfile-lzma.zip", 1, {}},
      {"libzip/testfile-xz.zip", 1, {}},
      {"libzip/testfile-zstd.zip", 1, {}},
      {"zip-rs/xz.zip", 1, {}},
      {"zip-rs/ppmd.zip", 1, {}},
      {"zip-rs/legacy_implode.zip", 1, {}},
      {"zip-rs/legacy_reduce.zip", 1, {}},
      {"zip-rs/legacy_shrink.zip", 1, {}},
      // No usable directory at all.
      {"libzip/bogus.zip", kUnzipBadArchive, {}},
      {"libzip/testfile-truncated.zip", kUnzipBadArchive, {}},
      {"libzip/incons-eocd-magic-bad.zip", kUnzipBadArchive, {}},
      {"libzip/incons-cdoffset.zip", kUnzipBadArchive, {}},
      {"libzip/multidisk.zip", kUnzipBadArchive, {}},
      {"zip-rs/invalid_offset.zip", kUnzipBadArchive, {}},
      {"zip-rs/invalid_offset2.zip", kUnzipBadArchive, {}},
      {"zip-rs/invalid_cde_number_of_files_allocation_greater_offset.zip", kUnzipBadArchive, {}},
      {"go/go-no-datadesc-sig.zip.base64", kUnzipBadArchive, {}},
  };
  return table;
}

std::string TestdataDir() { return UNZIP_TESTDATA_DIR; }

class TestdataTest : public ::testing::TestWithParam<Expectation> {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(TestdataDir())) {
      GTEST_SKIP() << "shared test data not found at " << TestdataDir();
    }
  }
};

// Run with the extractor's writer threads, and with none.
void ExpectExtractsOrFailsCleanly(const Expectation& e, unsigned writers) {
  TempDir target;
  Recorder recorder;
  EXPECT_EQ(ExtractInto(TestdataDir() + "/" + e.file, target.Path(),
                        {.recorder = &recorder, .writers = writers}),
            e.result);
  const auto tree = ListTree(target.Path());
  if (e.fileCount) {
    EXPECT_EQ(std::size_t(std::count_if(tree.begin(), tree.end(),
                                        [](const std::string& n) { return n.back() != '/'; })),
              *e.fileCount);
  } else {
    EXPECT_EQ(tree, e.tree);
  }
  for (const auto& name : tree) EXPECT_EQ(name.find("~unzip"), std::string::npos) << name;
  ASSERT_FALSE(recorder.events.empty());
  EXPECT_EQ(recorder.events.back().code, kUnzipActionEnd);
}

TEST_P(TestdataTest, ExtractsOrFailsCleanly) { ExpectExtractsOrFailsCleanly(GetParam(), 3); }

TEST_P(TestdataTest, ExtractsOrFailsCleanlyOnTheCallersThread) {
  ExpectExtractsOrFailsCleanly(GetParam(), 0);
}

std::string CaseName(const ::testing::TestParamInfo<Expectation>& param) {
  std::string name = param.param.file;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(SharedArchives, TestdataTest, ::testing::ValuesIn(Table()), CaseName);

TEST(TestdataContentTest, KnownContentComesOutExactly) {
  if (!std::filesystem::is_directory(TestdataDir())) GTEST_SKIP() << "no shared test data";
  TempDir target;
  ASSERT_EQ(ExtractInto(TestdataDir() + "/go/test.zip", target.Path()), 0);
  EXPECT_EQ(ReadText(target / "test.txt"), "This is a test text file.\n");
  const auto png = ReadText(target / "gophercolor16x16.png");
  ASSERT_TRUE(png.has_value());
  EXPECT_EQ(png->substr(1, 3), "PNG");
}

TEST(TestdataContentTest, NestedBigZeroStopsAtAFullDiskWithoutGrowing) {
  // The inner archive holds 4 GiB of zeros in 4 MiB: the extractor must stream it, and a disk
  // that fills up ends the member with nothing left behind.
  if (!std::filesystem::is_directory(TestdataDir())) GTEST_SKIP() << "no shared test data";
  TempDir outer;
  ASSERT_EQ(ExtractInto(TestdataDir() + "/libzip/bigzero-zip.zip", outer.Path()), 0);
  TempDir target;
  FullDiskStorage storage(target.Path(), 16 << 20);
  Recorder recorder;
  EXPECT_EQ(ExtractInto(outer / "bigzero.zip", target.Path(),
                        {.recorder = &recorder, .storage = &storage}),
            1);
  EXPECT_TRUE(ListTree(target.Path()).empty());
  ASSERT_GE(recorder.events.size(), 2u);
  EXPECT_EQ(recorder.events[0].code, kUnzipActionFileStarts);
  EXPECT_EQ(recorder.events[0].size, 0);  // 4 GiB in 32 bits
  EXPECT_EQ(recorder.Count(kUnzipActionProgress), std::size_t((16 << 20) / 32768));
}

}  // namespace
}  // namespace unzip::test
