// acaddoc.lsp belongs to the user: AutoCAD 2006 to 2011 load it with every drawing, and whatever
// the user put there must survive the installation. These tests hold the patcher to appending the
// load block after the user's last line (whatever its line ends), keeping a backup, creating the
// file only when there is none, never twice, and never writing into a file it cannot open.
#include "cad/AcadDocPatcher.h"

#include "CadTestSupport.h"
#include "toolkit/Errors.h"

namespace cad {
namespace {

using testing::CadTest;
using testing::CrLf;

const std::string kSupport = "c:\\Profiles\\u1\\Support\\";
const std::string kAcadDoc = kSupport + "acaddoc.lsp";
const std::string kBlock = CrLf({" ", "(load \"tolvek\" '(\"tolvek\"))", " "});

class AcadDocPatcherTest : public CadTest {
 protected:
  void SetUp() override {
    CadTest::SetUp();
    Fs().MakeDirs(kSupport);
  }
};

TEST_F(AcadDocPatcherTest, WithoutTheFileItIsCreatedHoldingJustTheBlock) {
  EXPECT_EQ(AddLoadBlockToAcadDoc(kSupport, toolkit::NoRecording()), AcadDocResult::kCreated);
  EXPECT_EQ(Content(kAcadDoc), kBlock);
  // Nothing to back up, and no temporary file left.
  EXPECT_EQ(Fs().List(kSupport), std::vector<std::string>{"acaddoc.lsp"});
}

TEST_F(AcadDocPatcherTest, TheUsersLinesStayAndTheBlockFollowsThem) {
  struct Case {
    const char* what;
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"CR LF", CrLf({"(setq mine 1)", "(princ)"}), CrLf({"(setq mine 1)", "(princ)"}) + kBlock},
      {"no final line end", "(setq mine 1)\r\n(princ)",
       CrLf({"(setq mine 1)", "(princ)"}) + kBlock},
      {"LF alone", "(setq mine 1)\n(princ)\n", CrLf({"(setq mine 1)", "(princ)"}) + kBlock},
      {"empty", "", kBlock},
  };
  for (const Case& c : cases) {
    Fs().Reset();
    Fs().PutFile(kAcadDoc, c.before);
    EXPECT_EQ(AddLoadBlockToAcadDoc(kSupport, toolkit::NoRecording()), AcadDocResult::kPatched)
        << c.what;
    EXPECT_EQ(Content(kAcadDoc), c.after) << c.what;
    EXPECT_EQ(Content(kSupport + "acaddoc.bak"), c.before) << c.what;
    EXPECT_FALSE(Exists(kSupport + "lisp.new")) << c.what;
  }
}

TEST_F(AcadDocPatcherTest, AFileThatLoadsTheProductAlreadyIsLeftAlone) {
  // A second installation, and a user who wrote the load line by hand.
  ASSERT_EQ(AddLoadBlockToAcadDoc(kSupport, toolkit::NoRecording()), AcadDocResult::kCreated);
  auto before = Fs().Snapshot();
  EXPECT_EQ(AddLoadBlockToAcadDoc(kSupport, toolkit::NoRecording()), AcadDocResult::kPatched);
  EXPECT_EQ(Fs().Snapshot(), before);

  Fs().PutFile(kAcadDoc, CrLf({"(LOAD \"Tolvek\")"}));
  before = Fs().Snapshot();
  EXPECT_EQ(AddLoadBlockToAcadDoc(kSupport, toolkit::NoRecording()), AcadDocResult::kPatched);
  EXPECT_EQ(Fs().Snapshot(), before);
}

TEST_F(AcadDocPatcherTest, AFileOrFolderThatCannotBeOpenedIsNotTouched) {
  Fs().PutFile(kAcadDoc, "(princ)\r\n");
  Fs().SetReadOnly(kAcadDoc, true);
  EXPECT_EQ(AddLoadBlockToAcadDoc(kSupport, toolkit::NoRecording()), AcadDocResult::kNotOpened);
  Fs().SetReadOnly(kAcadDoc, false);
  Fs().SetLocked(kAcadDoc, true);
  EXPECT_EQ(AddLoadBlockToAcadDoc(kSupport, toolkit::NoRecording()), AcadDocResult::kNotOpened);
  Fs().SetLocked(kAcadDoc, false);
  EXPECT_EQ(Content(kAcadDoc), "(princ)\r\n");
  EXPECT_EQ(Fs().List(kSupport), std::vector<std::string>{"acaddoc.lsp"});

  // A profile whose Support folder is not there (AutoCAD never started for this user).
  EXPECT_EQ(AddLoadBlockToAcadDoc("c:\\Profiles\\u2\\Support\\", toolkit::NoRecording()),
            AcadDocResult::kNotOpened);
  EXPECT_FALSE(Fs().DirExists("c:\\Profiles\\u2"));
}

TEST_F(AcadDocPatcherTest, AFailedCreationLeavesNoHalfFileUnderTheName) {
  Fs().FailNext(toolkit::headless::FsOp::kWrite, toolkit::kErrDiskFull);
  EXPECT_THROW(AddLoadBlockToAcadDoc(kSupport, toolkit::NoRecording()), toolkit::EInOutError);
  EXPECT_FALSE(Exists(kAcadDoc));
}

}  // namespace
}  // namespace cad
