// The callback protocol the installer's progress bar is built on: code 1 with the name and size
// when a file starts, one code 2 per 32768 bytes written, code 3 once at the end, Caller handed
// back, and a non-zero answer stopping the extraction without leaving half a file.
#include <gtest/gtest.h>

#include "TestArchive.h"
#include "TestHelpers.h"

namespace unzip::test {
namespace {

std::string Pattern(std::size_t size) {
  std::string text(size, '\0');
  std::uint32_t x = 12345;
  for (auto& c : text) {
    x = x * 1103515245 + 12345;
    c = char('a' + (x >> 16) % 7);
  }
  return text;
}

class CallbackTest : public ::testing::Test {
 protected:
  std::string Archive(const std::vector<TestMember>& members) {
    const std::string path = work_ / "package.pck";
    WriteBytes(path, MakeArchive(members));
    return path;
  }
  TempDir work_;
  TempDir target_;
  Recorder recorder_;
};

TEST_F(CallbackTest, EachFileStartsWithItsNameAndSizeAndTheCallEndsOnce) {
  const auto archive = Archive({{.name = "readme.txt", .content = "hello"},
                                {.name = "help/", .content = ""},
                                {.name = "help/manual.txt", .content = Pattern(1000)}});
  ASSERT_EQ(ExtractInto(archive, target_.Path(), {.recorder = &recorder_}), 0);

  ASSERT_EQ(recorder_.events.size(), 3u);  // folder entries are made silently
  EXPECT_EQ(recorder_.events[0].code, kUnzipActionFileStarts);
  EXPECT_EQ(recorder_.events[0].name, "readme.txt");
  EXPECT_EQ(recorder_.events[0].size, 5);
  EXPECT_EQ(recorder_.events[1].code, kUnzipActionFileStarts);
  EXPECT_EQ(recorder_.events[1].name, "help/manual.txt");
  EXPECT_EQ(recorder_.events[1].size, 1000);
  EXPECT_EQ(recorder_.events[2].code, kUnzipActionEnd);
  for (const auto& e : recorder_.events) EXPECT_EQ(e.caller, &recorder_);
}

TEST_F(CallbackTest, OneProgressReportPerFull32768Bytes) {
  struct Case {
    std::size_t size;
    std::size_t steps;
  };
  for (const Case c : {Case{0, 0}, Case{32767, 0}, Case{32768, 1}, Case{65535, 1}, Case{65536, 2},
                       Case{98304, 3}, Case{1000000, 30}}) {
    for (const bool deflate : {true, false}) {
      Recorder recorder;
      const auto archive =
          Archive({{.name = "f.bin", .content = Pattern(c.size), .deflate = deflate}});
      ASSERT_EQ(ExtractInto(archive, target_.Path(), {.recorder = &recorder}), 0);
      EXPECT_EQ(recorder.Count(kUnzipActionProgress), c.steps) << c.size;
      // Each report comes once its bytes are really written, in order.
      std::uint32_t step = 0;
      for (const auto& e : recorder.events) {
        if (e.code != kUnzipActionProgress) continue;
        ++step;
        EXPECT_GE(e.written, step * 32768u) << c.size;
      }
      EXPECT_EQ(recorder.events.front().code, kUnzipActionFileStarts);
      EXPECT_EQ(recorder.events.back().code, kUnzipActionEnd);
    }
  }
}

TEST_F(CallbackTest, SizeOfTwoGigabytesOrMoreIsReportedNegative) {
  // Only the report is checked: the member's data is a lie and fails afterwards.
  const auto archive = Archive({{.name = "huge.bin",
                                 .content = "x",
                                 .deflate = false,
                                 .size = 0x80000000ull,
                                 .compressedSize = 0x80000000ull}});
  ExtractInto(archive, target_.Path(), {.recorder = &recorder_});
  // The member's data would run past the archive's end: refused before it starts.
  EXPECT_EQ(recorder_.Count(kUnzipActionFileStarts), 0u);

  const auto zip64 = Archive({{.name = "big.bin",
                               .content = Pattern(10),
                               .deflate = true,
                               .zip64 = true,
                               .size = 0x90000000ull}});
  Recorder recorder;
  EXPECT_EQ(ExtractInto(zip64, target_.Path(), {.recorder = &recorder}), 1);
  ASSERT_EQ(recorder.Count(kUnzipActionFileStarts), 1u);
  EXPECT_EQ(recorder.events[0].size, std::int32_t(0x90000000u));
  EXPECT_LT(recorder.events[0].size, 0);
}

TEST_F(CallbackTest, StopAtFileStartWritesNothingMore) {
  const auto archive =
      Archive({{.name = "a.txt", .content = "aaa"}, {.name = "b.txt", .content = "bbb"}});
  recorder_.stopAt = 0;
  EXPECT_EQ(ExtractInto(archive, target_.Path(), {.recorder = &recorder_}), kUnzipStopped);
  EXPECT_TRUE(ListTree(target_.Path()).empty());
  ASSERT_EQ(recorder_.events.size(), 2u);
  EXPECT_EQ(recorder_.events[1].code, kUnzipActionEnd);
}

TEST_F(CallbackTest, StopDuringAFileDiscardsItAndKeepsTheInstalledOne) {
  WriteText(target_ / "big.bin", "previous installation");
  const auto archive = Archive(
      {{.name = "big.bin", .content = Pattern(500000)}, {.name = "later.txt", .content = "later"}});
  recorder_.stopAt = 3;  // code 1, then the third progress report
  EXPECT_EQ(ExtractInto(archive, target_.Path(), {.recorder = &recorder_}), kUnzipStopped);
  EXPECT_EQ(ReadText(target_ / "big.bin"), "previous installation");
  EXPECT_EQ(ListTree(target_.Path()), std::vector<std::string>{"big.bin"});
  EXPECT_EQ(recorder_.events.back().code, kUnzipActionEnd);
  EXPECT_EQ(recorder_.Count(kUnzipActionFileStarts), 1u);
}

TEST_F(CallbackTest, StopDuringANewFileLeavesNoPartOfIt) {
  const auto archive = Archive({{.name = "big.bin", .content = Pattern(500000)}});
  recorder_.stopAt = 3;
  EXPECT_EQ(ExtractInto(archive, target_.Path(), {.recorder = &recorder_}), kUnzipStopped);
  EXPECT_TRUE(ListTree(target_.Path()).empty());
}

TEST_F(CallbackTest, EndIsReportedEvenWhenTheArchiveCannotBeRead) {
  EXPECT_EQ(ExtractInto(work_ / "missing.pck", target_.Path(), {.recorder = &recorder_}),
            kUnzipBadArchive);
  ASSERT_EQ(recorder_.events.size(), 1u);
  EXPECT_EQ(recorder_.events[0].code, kUnzipActionEnd);
}

TEST_F(CallbackTest, NoCallbackExtractsSilently) {
  const auto archive = Archive({{.name = "a.txt", .content = "aaa"}});
  EXPECT_EQ(ExtractInto(archive, target_.Path()), 0);
  EXPECT_EQ(ReadText(target_ / "a.txt"), "aaa");
}

}  // namespace
}  // namespace unzip::test
