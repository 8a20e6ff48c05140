// The AutoLISP patcher decides which of a customer's start-up files get the product's load line.
// These tests hold it to the eighteen places AutoCAD releases 12 to 2005 keep those files, to the
// exact lines added (one-space blank lines around them), to the release 2004/2005 rule that tests
// one file and patches the document file beside it, and to the result the install sequence relies
// on to tell the user to edit the file by hand.
#include "cad/LispPatcher.h"

#include "CadTestSupport.h"

namespace cad {
namespace {

using testing::CadTest;
using testing::CrLf;

const std::string kAcad = "c:\\acad";
const std::string kAutoloadBlock = " \r\n(autoload \"tolvek\" '(\"tolvek\"))\r\n \r\n";
const std::string kLoadBlock = " \r\n(load \"tolvek\" '(\"tolvek\"))\r\n \r\n";

const std::string kR14 =
    CrLf({";;; ACADR14.LSP Version 14.1 for Release 14",
          ";;;===== AutoLoad LISP Applications =====", "(autoload \"appload\" '(\"appload\"))",
          ";;;===== AutoLoad LISP Applications =====", "(princ)"});

const std::string k2000Doc =
    CrLf({";;;    ACAD2000DOC.LSP Version 1.0 for AutoCAD 2000",
          "(defun acad-doc-startup () (princ))", "(setq *module-id* \"ACAD2000DOC_LSP_\")"});

class LispPatcherTest : public CadTest {};

TEST_F(LispPatcherTest, ARelease14FileGetsTheAutoloadBlockAfterEachHeading) {
  Fs().PutFile(kAcad + "\\support\\acadr14.lsp", kR14);
  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_EQ(Content(kAcad + "\\support\\acadr14.lsp"),
            ";;; ACADR14.LSP Version 14.1 for Release 14\r\n"
            ";;;===== AutoLoad LISP Applications =====\r\n"
            " \r\n"
            "(autoload \"tolvek\" '(\"tolvek\"))\r\n"
            " \r\n"
            "(autoload \"appload\" '(\"appload\"))\r\n"
            ";;;===== AutoLoad LISP Applications =====\r\n"
            " \r\n"
            "(autoload \"tolvek\" '(\"tolvek\"))\r\n"
            " \r\n"
            "(princ)\r\n");
  EXPECT_EQ(Content(kAcad + "\\support\\acadr14.bak"), kR14);
  EXPECT_FALSE(Exists(kAcad + "\\support\\lisp.new"));
  EXPECT_EQ(Fs().Snapshot().size(), 2u);
}

TEST_F(LispPatcherTest, A2000DocumentFileGetsTheLoadBlockAfterItsMarkerLines) {
  Fs().PutFile(kAcad + "\\acad2000.lsp", k2000Doc);
  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_EQ(Content(kAcad + "\\acad2000.lsp"),
            ";;;    ACAD2000DOC.LSP Version 1.0 for AutoCAD 2000\r\n"
            " \r\n"
            "(load \"tolvek\" '(\"tolvek\"))\r\n"
            " \r\n"
            "(defun acad-doc-startup () (princ))\r\n"
            "(setq *module-id* \"ACAD2000DOC_LSP_\")\r\n"
            " \r\n"
            "(load \"tolvek\" '(\"tolvek\"))\r\n"
            " \r\n");
  EXPECT_EQ(Content(kAcad + "\\acad2000.bak"), k2000Doc);
}

TEST_F(LispPatcherTest, ALineHoldingTwoInsertionTextsGetsOneBlock) {
  Fs().PutFile(kAcad + "\\acad2002.lsp", CrLf({"; ACAD2002DOC and acad2004doc"}));
  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_EQ(Content(kAcad + "\\acad2002.lsp"), "; ACAD2002DOC and acad2004doc\r\n" + kLoadBlock);
}

TEST_F(LispPatcherTest, ASecondRunWritesNothingAndKeepsTheFirstBackup) {
  Fs().PutFile(kAcad + "\\support\\acadr14.lsp", kR14);
  ASSERT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  const auto afterFirst = Fs().Snapshot();
  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_EQ(Fs().Snapshot(), afterFirst);
}

TEST_F(LispPatcherTest, AUsersOwnLoadOfAFileNamedLikeTheProductCountsAsAnEarlierInstallation) {
  const std::string old = CrLf({";;; ACAD2000DOC.LSP", "(load \"tolvekextra\")"});
  Fs().PutFile(kAcad + "\\support\\acad2000.lsp", old);
  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_EQ(Content(kAcad + "\\support\\acad2000.lsp"), old);
  EXPECT_FALSE(Exists(kAcad + "\\support\\acad2000.bak"));
}

TEST_F(LispPatcherTest, ADocumentFileThatAlreadyAutoloadsTheProductIsLeftAlone) {
  const std::string old = CrLf({";;; ACAD2004DOC.LSP", "(autoload \"tolvek\" '(\"tolvek\"))"});
  Fs().PutFile(kAcad + "\\support\\acad2004doc.lsp", old);
  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_EQ(Content(kAcad + "\\support\\acad2004doc.lsp"), old);
}

// Nowhere to add the load line: the file keeps its bytes, line ends included, and gets no backup.
TEST_F(LispPatcherTest, A2005DocumentFileWithoutMarkersIsLeftAsItWas) {
  const std::string old = "(princ \"AutoCAD 2005\")\n(princ)";
  Fs().PutFile(kAcad + "\\support\\acad2005doc.lsp", old);
  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_EQ(Content(kAcad + "\\support\\acad2005doc.lsp"), old);
  EXPECT_FALSE(Exists(kAcad + "\\support\\acad2005doc.bak"));
  EXPECT_FALSE(Exists(kAcad + "\\support\\lisp.new"));
}

TEST_F(LispPatcherTest, BothRelease14FilesArePatchedTheRootOneFirst) {
  Fs().PutFile(kAcad + "\\acadr14.lsp", kR14);
  Fs().PutFile(kAcad + "\\support\\acadr14.lsp", kR14);
  // The third rename is the support file's first: if the root file goes first, it is done. (A
  // drive that stops answering: a file held by another program would be a manual edit instead.)
  Fs().FailNext(toolkit::headless::FsOp::kRename, toolkit::kErrNotReady, 2);
  EXPECT_THROW(PatchAcadLisp(kAcad, toolkit::NoRecording()), toolkit::EInOutError);
  EXPECT_NE(Content(kAcad + "\\acadr14.lsp"), kR14);
  EXPECT_EQ(Content(kAcad + "\\support\\acadr14.lsp"), kR14);

  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_NE(Content(kAcad + "\\support\\acadr14.lsp"), kR14);
  EXPECT_EQ(Content(kAcad + "\\support\\acadr14.bak"), kR14);
}

TEST_F(LispPatcherTest, AReadOnlyFileIsNotPatchedAndDoesNotMakeTheResultFalse) {
  const std::string old = CrLf({";;; ACAD2000DOC.LSP"});
  Fs().PutFile(kAcad + "\\support\\acad2000.lsp", old);
  Fs().SetReadOnly(kAcad + "\\support\\acad2000.lsp", true);
  Fs().PutFile(kAcad + "\\support\\acadr14.lsp", kR14);
  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_EQ(Content(kAcad + "\\support\\acad2000.lsp"), old);
  EXPECT_FALSE(Exists(kAcad + "\\support\\acad2000.bak"));
}

TEST_F(LispPatcherTest, NoStartUpFileAtAllGivesFalse) {
  Fs().PutFile(kAcad + "\\acad.exe", "MZ");
  Fs().PutFile(kAcad + "\\support\\acaddoc.lsp", CrLf({"(princ)"}));
  const auto before = Fs().Snapshot();
  EXPECT_FALSE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_EQ(Fs().Snapshot(), before);
}

TEST_F(LispPatcherTest, OnlyLockedStartUpFilesGivesFalse) {
  Fs().PutFile(kAcad + "\\acad2002.lsp", CrLf({";;; ACAD2002DOC.LSP"}));
  Fs().SetLocked(kAcad + "\\acad2002.lsp", true);
  EXPECT_FALSE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  Fs().SetLocked(kAcad + "\\acad2002.lsp", false);
}

TEST_F(LispPatcherTest, The2004SessionFileIsTestedButTheDocumentFileBesideItIsPatched) {
  const std::string session = CrLf({";;; ACAD2004.LSP", "(load \"acad2004doc\")"});
  const std::string document = CrLf({";;; ACAD2004DOC.LSP"});
  Fs().PutFile(kAcad + "\\acad2004.lsp", session);
  Fs().PutFile(kAcad + "\\acad2004doc.lsp", document);
  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_EQ(Content(kAcad + "\\acad2004.lsp"), session);
  EXPECT_EQ(Content(kAcad + "\\acad2004doc.lsp"), document + kLoadBlock);
  EXPECT_EQ(Content(kAcad + "\\acad2004doc.bak"), document);
}

TEST_F(LispPatcherTest, TheLastPatchedRowDecidesTheResult) {
  // Row 12 patches fine; row 17 finds acad2005.lsp but no acad2005doc.lsp to patch.
  Fs().PutFile(kAcad + "\\support\\acad2000.lsp", CrLf({";;; ACAD2000DOC.LSP"}));
  Fs().PutFile(kAcad + "\\acad2005.lsp", CrLf({";;; ACAD2005.LSP"}));
  EXPECT_FALSE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
  EXPECT_NE(Content(kAcad + "\\support\\acad2000.lsp"), CrLf({";;; ACAD2000DOC.LSP"}));

  // And a later row that succeeds hides an earlier one that failed.
  Fs().Reset();
  Fs().PutFile(kAcad + "\\acad2004.lsp", CrLf({";;; ACAD2004.LSP"}));
  Fs().PutFile(kAcad + "\\support\\acad2005doc.lsp", CrLf({";;; ACAD2005DOC.LSP"}));
  EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
}

// Every place a start-up file is looked for, written out here rather than read from the table.
struct Row {
  const char* tested;
  const char* patched;
  const char* backup;
  const char* temp;
  bool autoload;
};
const Row kRows[] = {
    {"\\acadr12.lsp", "\\acadr12.lsp", "\\acadr12.bak", "\\lisp.new", true},
    {"\\support\\acadr12.lsp", "\\support\\acadr12.lsp", "\\support\\acadr12.bak",
     "\\support\\lisp.new", true},
    {"\\acadr13.lsp", "\\acadr13.lsp", "\\acadr13.bak", "\\lisp.new", true},
    {"\\support\\acadr13.lsp", "\\support\\acadr13.lsp", "\\support\\acadr13.bak",
     "\\support\\lisp.new", true},
    {"\\win\\acadr13.lsp", "\\win\\acadr13.lsp", "\\win\\acadr13.bak", "\\win\\lisp.new", true},
    {"\\win\\support\\acadr13.lsp", "\\win\\support\\acadr13.lsp", "\\win\\support\\acadr13.bak",
     "\\win\\support\\lisp.new", true},
    {"\\com\\acadr13.lsp", "\\com\\acadr13.lsp", "\\com\\acadr13.bak", "\\com\\lisp.new", true},
    {"\\com\\support\\acadr13.lsp", "\\com\\support\\acadr13.lsp", "\\com\\support\\acadr13.bak",
     "\\com\\support\\lisp.new", true},
    {"\\acadr14.lsp", "\\acadr14.lsp", "\\acadr14.bak", "\\lisp.new", true},
    {"\\support\\acadr14.lsp", "\\support\\acadr14.lsp", "\\support\\acadr14.bak",
     "\\support\\lisp.new", true},
    {"\\acad2000.lsp", "\\acad2000.lsp", "\\acad2000.bak", "\\lisp.new", false},
    {"\\support\\acad2000.lsp", "\\support\\acad2000.lsp", "\\support\\acad2000.bak",
     "\\support\\lisp.new", false},
    {"\\acad2002.lsp", "\\acad2002.lsp", "\\acad2002.bak", "\\lisp.new", false},
    {"\\support\\acad2002.lsp", "\\support\\acad2002.lsp", "\\support\\acad2002.bak",
     "\\support\\lisp.new", false},
    {"\\acad2004.lsp", "\\acad2004doc.lsp", "\\acad2004doc.bak", "\\lisp.new", false},
    {"\\support\\acad2004doc.lsp", "\\support\\acad2004doc.lsp", "\\support\\acad2004doc.bak",
     "\\support\\lisp.new", false},
    {"\\acad2005.lsp", "\\acad2005doc.lsp", "\\acad2005doc.bak", "\\lisp.new", false},
    {"\\support\\acad2005doc.lsp", "\\support\\acad2005doc.lsp", "\\support\\acad2005doc.bak",
     "\\support\\lisp.new", false},
};

TEST_F(LispPatcherTest, EachOfTheEighteenStartUpFilesIsFoundAndPatchedAlone) {
  const std::string old = CrLf({";;;===== AutoLoad LISP Applications =====", ";; ACAD2004DOC"});
  const std::string autoloaded = CrLf({";;;===== AutoLoad LISP Applications ====="}) +
                                 kAutoloadBlock + CrLf({";; ACAD2004DOC"});
  const std::string loaded = old + kLoadBlock;
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.tested);
    Fs().Reset();
    Fs().PutFile(kAcad + row.tested, old);
    Fs().PutFile(kAcad + row.patched, old);
    Fs().PutFile(kAcad + row.temp, "stale");
    EXPECT_TRUE(PatchAcadLisp(kAcad, toolkit::NoRecording()));
    EXPECT_EQ(Content(kAcad + row.patched), row.autoload ? autoloaded : loaded);
    EXPECT_EQ(Content(kAcad + row.backup), old);
    // A file someone left under the copy's name is not the run's: it stays as it was.
    EXPECT_EQ(Content(kAcad + row.temp), "stale");
    // Nothing else was touched.
    EXPECT_EQ(Fs().Snapshot().size(), std::string(row.tested) == row.patched ? 3u : 4u);
  }
}

TEST_F(LispPatcherTest, TheStepsPatchTheNamedFileDirectly) {
  Fs().AddDrive('d');
  Fs().PutFile("d:\\x\\y\\mine.lsp", kR14);
  EXPECT_TRUE(AddAutoloadLine("d:\\x\\y", "\\mine", ".lsp", toolkit::NoRecording()));
  EXPECT_EQ(Content("d:\\x\\y\\mine.bak"), kR14);
  EXPECT_TRUE(AddLoadLine("d:\\x\\y", "\\mine", ".lsp",
                          toolkit::NoRecording()));  // "LOAD "TOLVEK" is in the autoload
  EXPECT_FALSE(AddLoadLine("d:\\x\\y", "\\missing", ".lsp", toolkit::NoRecording()));
}

}  // namespace
}  // namespace cad
