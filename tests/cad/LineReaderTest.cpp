// The line reader decides what a rewritten AutoCAD file holds: a dropped character or a lost last
// line is lost from the customer's file. These tests pin down each line-end convention, a last
// line without a line end, and a CR LF pair split across two reads of the buffer.
#include "cad/LineReader.h"

#include <string>
#include <vector>

#include "CadTestSupport.h"

namespace cad {
namespace {

using testing::CadTest;

class LineReaderTest : public CadTest {
 protected:
  struct Call {
    bool ended;
    std::string line;
    bool operator==(const Call&) const = default;
  };

  // Every ReadLine call up to and including the one that reports the end of the file.
  std::vector<Call> ReadAll(const std::string& content) {
    Fs().PutFile("c:\\f.txt", content);
    toolkit::fs::File file;
    file.Open("c:\\f.txt", toolkit::OpenMode::kRead);
    LineReader reader(file);
    std::vector<Call> calls;
    std::string line = "stale";
    for (;;) {
      bool ended = reader.ReadLine(line);
      calls.push_back({ended, line});
      if (!ended) break;
    }
    return calls;
  }

  std::vector<std::string> Lines(const std::string& content) {
    Fs().PutFile("c:\\f.txt", content);
    toolkit::fs::File file;
    file.Open("c:\\f.txt", toolkit::OpenMode::kRead);
    LineReader reader(file);
    std::vector<std::string> lines;
    std::string line;
    while (reader.NextLine(line)) lines.push_back(line);
    return lines;
  }
};

TEST_F(LineReaderTest, CrLfLinesEndWithAnExtraCallThatReadsOnlyTheFinalLf) {
  EXPECT_EQ(ReadAll("ab\r\ncd\r\n"), (std::vector<Call>{{true, "ab"}, {true, "cd"}, {false, ""}}));
}

TEST_F(LineReaderTest, AnEmptyLastLineIsALineOfItsOwn) {
  EXPECT_EQ(ReadAll("ab\r\n\r\n"), (std::vector<Call>{{true, "ab"}, {true, ""}, {false, ""}}));
}

TEST_F(LineReaderTest, CrAloneEndsLinesLikeCrLf) {
  EXPECT_EQ(ReadAll("ab\rcd\r"), (std::vector<Call>{{true, "ab"}, {true, "cd"}, {false, ""}}));
}

TEST_F(LineReaderTest, LfAloneEndsLines) {
  EXPECT_EQ(ReadAll("ab\ncd\n\nef"),
            (std::vector<Call>{{true, "ab"}, {true, "cd"}, {true, ""}, {false, "ef"}}));
}

TEST_F(LineReaderTest, TextAfterTheLastLineEndComesWithFalse) {
  EXPECT_EQ(ReadAll("ab\r\ncd"), (std::vector<Call>{{true, "ab"}, {false, "cd"}}));
}

TEST_F(LineReaderTest, AnEmptyFileGivesOneEmptyFalse) {
  EXPECT_EQ(ReadAll(""), (std::vector<Call>{{false, ""}}));
  EXPECT_TRUE(Lines("").empty());
}

TEST_F(LineReaderTest, NextLineDeliversALastLineWithoutLineEnd) {
  EXPECT_EQ(Lines("ab\r\ncd"), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(Lines("ab\r\ncd\r\n"), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(Lines("only"), (std::vector<std::string>{"only"}));
}

TEST_F(LineReaderTest, KeepsEveryOtherByteIncludingNulAndEndOfFileMarks) {
  const std::string line("a\0b\x1A\xE8\t ", 7);
  EXPECT_EQ(Lines(line + "\r\n"), (std::vector<std::string>{line}));
}

TEST_F(LineReaderTest, ACrLfPairSplitAcrossTwoBufferFillsIsOneLineEnd) {
  // The buffer holds 64 KiB; put the CR as its last byte and the LF as the next read's first.
  for (std::size_t length : {65535u, 65534u, 65536u, 131071u}) {
    const std::string longLine(length, 'x');
    EXPECT_EQ(Lines(longLine + "\r\nnext\r\n"), (std::vector<std::string>{longLine, "next"}))
        << length;
    EXPECT_EQ(Lines(longLine + "\r\n\r\nnext"), (std::vector<std::string>{longLine, "", "next"}))
        << length;
  }
}

TEST_F(LineReaderTest, ReadsLinesLongerThanTheBuffer) {
  const std::string huge(200000, 'q');
  EXPECT_EQ(Lines("a\r\n" + huge + "\r\nb"), (std::vector<std::string>{"a", huge, "b"}));
}

}  // namespace
}  // namespace cad
