// RewriteWithBackup is the only way the installer changes AutoCAD's files. These tests hold it to
// its promises on the files users really have: CR LF, CR, LF alone, no final line end, empty; a
// file already patched is left byte for byte with its backup; a file that cannot be opened is
// not touched at all; old backups and temporary files of the same names give way.
#include "cad/Rewrite.h"

#include "CadTestSupport.h"

namespace cad {
namespace {

using testing::CadTest;
using testing::CrLf;
using testing::Joined;

const std::string kTarget = "c:\\acad\\file.txt";
const std::string kTemp = "c:\\acad\\file.new";
const std::string kBackup = "c:\\acad\\file.bak";

// Adds "+" after every line holding "here".
void AddPlusAfterHere(std::string_view line, LineWriter& copy) {
  copy.WriteLine(line);
  if (line.find("here") != std::string_view::npos) copy.WriteLine("+");
}

class RewriteTest : public CadTest {
 protected:
  bool Rewrite(std::initializer_list<std::string_view> trailer = {}) {
    return RewriteWithBackup(kTarget, kTemp, kBackup, "MARK", AddPlusAfterHere, trailer,
                             toolkit::NoRecording());
  }
};

TEST_F(RewriteTest, CopiesEveryLineAndAddsAfterEachInsertionPoint) {
  const std::string old = CrLf({"a", "here 1", "b", "here 2"});
  Fs().PutFile(kTarget, old);
  EXPECT_TRUE(Rewrite());
  EXPECT_EQ(Content(kTarget), CrLf({"a", "here 1", "+", "b", "here 2", "+"}));
  EXPECT_EQ(Content(kBackup), old);
  EXPECT_FALSE(Exists(kTemp));
}

TEST_F(RewriteTest, KeepsAnEmptyLastLine) {
  Fs().PutFile(kTarget, CrLf({"a", ""}));
  EXPECT_TRUE(Rewrite());
  EXPECT_EQ(Content(kTarget), CrLf({"a", ""}));
}

TEST_F(RewriteTest, ACrFileIsReadLikeACrLfFileAndWrittenWithCrLf) {
  Fs().PutFile(kTarget, Joined({"a", "here", "", "b"}, "\r"));
  EXPECT_TRUE(Rewrite());
  EXPECT_EQ(Content(kTarget), CrLf({"a", "here", "+", "", "b"}));
}

TEST_F(RewriteTest, AnLfOnlyFileKeepsAllItsLines) {
  Fs().PutFile(kTarget, Joined({"a", "here", "", "b"}, "\n"));
  EXPECT_TRUE(Rewrite());
  EXPECT_EQ(Content(kTarget), CrLf({"a", "here", "+", "", "b"}));
}

TEST_F(RewriteTest, ALastLineWithoutLineEndIsCopiedAndCanBeAnInsertionPoint) {
  Fs().PutFile(kTarget, "a\r\nhere");
  EXPECT_TRUE(Rewrite({"trailer"}));
  EXPECT_EQ(Content(kTarget), CrLf({"a", "here", "+", "trailer"}));
}

TEST_F(RewriteTest, AMarkerInALastLineWithoutLineEndCountsAsAnEarlierInstallation) {
  const std::string old = "a\nhere\nmark";
  Fs().PutFile(kTarget, old);
  EXPECT_TRUE(Rewrite());
  EXPECT_EQ(Content(kTarget), old);
  EXPECT_FALSE(Exists(kBackup));
}

TEST_F(RewriteTest, AMarkerInTheLastCrLfLineLeavesTheFileAlone) {
  const std::string old = CrLf({"here", "x Mark y"});
  Fs().PutFile(kTarget, old);
  EXPECT_TRUE(Rewrite({"trailer"}));
  EXPECT_EQ(Content(kTarget), old);
  EXPECT_FALSE(Exists(kBackup));
  EXPECT_FALSE(Exists(kTemp));
}

TEST_F(RewriteTest, AnEmptyFileIsRewrittenWithTheTrailerAndBackedUp) {
  Fs().PutFile(kTarget, "");
  EXPECT_TRUE(Rewrite({"t1", "t2"}));
  EXPECT_EQ(Content(kTarget), CrLf({"t1", "t2"}));
  EXPECT_EQ(Content(kBackup), "");
}

TEST_F(RewriteTest, AnEmptyFileWithoutTrailerIsLeftWithoutABackup) {
  Fs().PutFile(kTarget, "");
  EXPECT_TRUE(Rewrite());
  EXPECT_EQ(Content(kTarget), "");
  EXPECT_FALSE(Exists(kBackup));
}

TEST_F(RewriteTest, ATargetThatCannotBeOpenedGivesFalseAndChangesNothing) {
  Fs().PutFile(kTemp, "old temp");
  Fs().PutFile(kBackup, "old backup");
  auto before = Fs().Snapshot();

  EXPECT_FALSE(Rewrite());  // missing
  EXPECT_EQ(Fs().Snapshot(), before);

  Fs().PutFile(kTarget, CrLf({"here"}));
  before = Fs().Snapshot();
  Fs().SetReadOnly(kTarget, true);
  EXPECT_FALSE(Rewrite());
  EXPECT_EQ(Fs().Snapshot(), before);

  Fs().SetReadOnly(kTarget, false);
  Fs().SetLocked(kTarget, true);
  EXPECT_FALSE(Rewrite());
  EXPECT_EQ(Fs().Snapshot(), before);

  EXPECT_FALSE(RewriteWithBackup("q:\\nodrive\\f.txt", kTemp, kBackup, "MARK", AddPlusAfterHere, {},
                                 toolkit::NoRecording()));
  EXPECT_EQ(Fs().Snapshot(), before);
}

TEST_F(RewriteTest, ASecondRunFindsItsOwnWorkAndKeepsTheFirstBackup) {
  const std::string old = CrLf({"here"});
  Fs().PutFile(kTarget, old);
  auto addMarker = [](std::string_view line, LineWriter& copy) {
    copy.WriteLine(line);
    copy.WriteLine("MARK");
  };
  EXPECT_TRUE(
      RewriteWithBackup(kTarget, kTemp, kBackup, "mark", addMarker, {}, toolkit::NoRecording()));
  const auto afterFirst = Fs().Snapshot();
  EXPECT_TRUE(
      RewriteWithBackup(kTarget, kTemp, kBackup, "mark", addMarker, {}, toolkit::NoRecording()));
  EXPECT_EQ(Fs().Snapshot(), afterFirst);
  EXPECT_EQ(Content(kBackup), old);
}

// Files the rewrite did not make are never replaced: a backup the user keeps and a file left
// under the copy's name both stay as they are, and the rewrite takes the next free names.
TEST_F(RewriteTest, AnOldBackupAndAFileUnderTheCopysNameStayAndFreeNamesAreTaken) {
  const std::string old = CrLf({"here"});
  Fs().PutFile(kTarget, old);
  Fs().PutFile(kBackup, "backup of an older installation");
  Fs().PutFile(kTemp, "left over from a failed run, longer than the new copy");
  EXPECT_TRUE(Rewrite());
  EXPECT_EQ(Content(kTarget), CrLf({"here", "+"}));
  EXPECT_EQ(Content(kBackup), "backup of an older installation");
  EXPECT_EQ(Content("c:\\acad\\file-2.bak"), old);
  EXPECT_EQ(Content(kTemp), "left over from a failed run, longer than the new copy");
  EXPECT_FALSE(Exists("c:\\acad\\file-2.new"));
}

TEST_F(RewriteTest, AMarkerAcrossTheScanBuffersBoundaryIsFound) {
  // The scan reads 64 KiB at a time; a marker may start in one read and end in the next.
  for (std::size_t start = 65536 - 5; start <= 65536 + 1; ++start) {
    SCOPED_TRACE(start);
    Fs().Reset();
    const std::string old = std::string(start - 2, 'x') + "\r\nmArK\r\n";
    Fs().PutFile(kTarget, old);
    EXPECT_TRUE(Rewrite());
    EXPECT_EQ(Content(kTarget), old);
    EXPECT_FALSE(Exists(kBackup));
  }
}

TEST_F(RewriteTest, AMarkerSplitByALineEndIsNotFound) {
  Fs().PutFile(kTarget, CrLf({"MA", "RK", "here"}));
  EXPECT_TRUE(Rewrite());
  EXPECT_TRUE(Exists(kBackup));
}

TEST_F(RewriteTest, ALargeFileIsCopiedWhole) {
  std::string old;
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    std::string line = "line " + std::to_string(i) + (i % 997 == 0 ? " here" : "");
    old += line + "\r\n";
    expected += line + "\r\n" + (i % 997 == 0 ? "+\r\n" : "");
  }
  Fs().PutFile(kTarget, old);
  EXPECT_TRUE(Rewrite());
  EXPECT_EQ(Content(kTarget), expected);
  EXPECT_EQ(Content(kBackup), old);
}

}  // namespace
}  // namespace cad
