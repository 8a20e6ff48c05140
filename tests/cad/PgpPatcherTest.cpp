// The command alias patcher appends the RUNTOLVEK command to acad.pgp. These tests check the
// exact line, that it follows the last line whatever that line's ending, that any mention of the
// product stops a second patch, and where the temporary and backup files go.
#include "cad/PgpPatcher.h"

#include "CadTestSupport.h"

namespace cad {
namespace {

using testing::CadTest;
using testing::CrLf;

const std::string kRunLine = "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,\r\n";
const std::string kSupport = "d:\\p\\acad\\support\\";

class PgpPatcherTest : public CadTest {
 protected:
  void SetUp() override {
    CadTest::SetUp();
    Fs().AddDrive('d');
  }
};

TEST_F(PgpPatcherTest, TheCommandBecomesTheLastLine) {
  const std::string old = CrLf({"; acad.pgp", "A, *ARC", "C, *CIRCLE"});
  Fs().PutFile(kSupport + "acad.pgp", old);
  EXPECT_TRUE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.pgp"), old + kRunLine);
  EXPECT_EQ(Content(kSupport + "pgp.bak"), old);
  EXPECT_FALSE(Exists(kSupport + "pgp.new"));
  EXPECT_EQ(Fs().Snapshot("d:\\").size(), 2u);
}

TEST_F(PgpPatcherTest, ALastLineWithoutLineEndIsKeptBeforeTheCommand) {
  const std::string old = "A, *ARC\r\n; -- User Defined Command Aliases --";
  Fs().PutFile(kSupport + "acad.pgp", old);
  EXPECT_TRUE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.pgp"),
            "A, *ARC\r\n; -- User Defined Command Aliases --\r\n" + kRunLine);
}

TEST_F(PgpPatcherTest, AnLfOnlyFileKeepsItsLinesAndGetsCrLf) {
  Fs().PutFile(kSupport + "acad.pgp", "A, *ARC\nC, *CIRCLE\n");
  EXPECT_TRUE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.pgp"), CrLf({"A, *ARC", "C, *CIRCLE"}) + kRunLine);
}

TEST_F(PgpPatcherTest, AnEmptyFileBecomesTheOneLine) {
  Fs().PutFile(kSupport + "acad.pgp", "");
  EXPECT_TRUE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.pgp"), kRunLine);
  EXPECT_EQ(Content(kSupport + "pgp.bak"), "");
}

TEST_F(PgpPatcherTest, AnyMentionOfTheProductInAnyCaseLeavesTheFileAlone) {
  const std::string old = CrLf({"A, *ARC", "; tOLVEK was here"});
  Fs().PutFile(kSupport + "acad.pgp", old);
  EXPECT_TRUE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.pgp"), old);
  EXPECT_FALSE(Exists(kSupport + "pgp.bak"));
}

TEST_F(PgpPatcherTest, ASecondRunChangesNothing) {
  Fs().PutFile(kSupport + "acad.pgp", CrLf({"A, *ARC"}));
  ASSERT_TRUE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  const auto afterFirst = Fs().Snapshot("d:\\");
  EXPECT_TRUE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(Fs().Snapshot("d:\\"), afterFirst);
}

TEST_F(PgpPatcherTest, AnOldBackupStaysAndTheNewOneTakesAFreeName) {
  const std::string old = CrLf({"A, *ARC"});
  Fs().PutFile(kSupport + "acad.pgp", old);
  Fs().PutFile(kSupport + "pgp.bak", "older");
  EXPECT_TRUE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "pgp.bak"), "older");
  EXPECT_EQ(Content(kSupport + "pgp-2.bak"), old);
}

TEST_F(PgpPatcherTest, AFolderWithoutTrailingBackslashStillGetsOneBeforeItsNames) {
  const std::string old = CrLf({"A, *ARC"});
  Fs().PutFile("d:\\p\\acad\\acad.pgp", old);
  EXPECT_TRUE(PatchAcadPgp(1, "d:\\p\\acad", "\\acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(Content("d:\\p\\acad\\pgp.bak"), old);
  EXPECT_EQ(Content("d:\\p\\acad\\acad.pgp"), old + kRunLine);
}

TEST_F(PgpPatcherTest, TheModeMakesNoDifference) {
  Fs().PutFile(kSupport + "acad.pgp", CrLf({"A, *ARC"}));
  EXPECT_TRUE(PatchAcadPgp(7, kSupport, "acad.pgp", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.pgp"), CrLf({"A, *ARC"}) + kRunLine);
}

TEST_F(PgpPatcherTest, AMissingReadOnlyOrLockedFileGivesFalse) {
  EXPECT_FALSE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  Fs().PutFile(kSupport + "acad.pgp", CrLf({"A, *ARC"}));
  const auto before = Fs().Snapshot("d:\\");
  Fs().SetReadOnly(kSupport + "acad.pgp", true);
  EXPECT_FALSE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  Fs().SetReadOnly(kSupport + "acad.pgp", false);
  Fs().SetLocked(kSupport + "acad.pgp", true);
  EXPECT_FALSE(PatchAcadPgp(1, kSupport, "acad.pgp", toolkit::NoRecording()));
  Fs().SetLocked(kSupport + "acad.pgp", false);
  EXPECT_EQ(Fs().Snapshot("d:\\"), before);
}

}  // namespace
}  // namespace cad
