// The menu patcher edits acad.mns, the file AutoCAD builds its whole user interface from; one
// blank too many or a block in the wrong section breaks the customer's toolbars. These tests
// compare whole files byte for byte, and check the headings' case rule, the AutoCAD LT file's own
// marker, the placement of the temporary and backup files, and the modes that must not write.
#include "cad/MenuPatcher.h"

#include "CadTestSupport.h"

namespace cad {
namespace {

using testing::CadTest;
using testing::CrLf;

const std::string kToolbarBlock =
    "**TOLVEK\r\n"
    "ID_Tolvek      [_Toolbar(\"Tolvek\", _Top, _Show, 2, 1, 1)]\r\n"
    "ID_tolvekppos  [_Button(\"Posiziona elemento Tolvek\", \"TKIcon1.bmp\", "
    "\"ICON_24_BLANK\")]^C^C^Ctolvek\r\n"
    "ID_tolvekrun   [_Button(\"Libreria parametrica Tolvek\", \"TKIcon2.bmp\", "
    "\"ICON_25_BLANK\")]^C^C^Cruntolvek\r\n";
const std::string kHelpBlock =
    "ID_tolvekppos   [Posiziona elemento Tolvek]\r\n"
    "ID_tolvekrun    [Libreria parametrica Tolvek]\r\n";

const std::string kSupport = "c:\\acad\\support\\";

const std::string kMenu =
    CrLf({"***MENUGROUP=ACAD", "***TOOLBARS", "**TB_DRAW",
          "ID_TbDraw  [_Toolbar(\"Draw\", _Left, _Show, 0, 0, 1)]", "***HELPSTRINGS",
          "ID_Line    [Creates straight line segments]", "***ACCELERATORS"});

class MenuPatcherTest : public CadTest {};

TEST_F(MenuPatcherTest, TheBlocksHaveTheirBracketsInColumns16And17) {
  std::size_t start = 0;
  int line = 0;
  for (std::size_t end; (end = kToolbarBlock.find("\r\n", start)) != std::string::npos;) {
    if (line > 0) {
      EXPECT_EQ(kToolbarBlock.find('[', start) - start, 15u) << line;
    }
    start = end + 2;
    ++line;
  }
  EXPECT_EQ(kHelpBlock.find('['), 16u);
  EXPECT_EQ(kHelpBlock.find('[', kHelpBlock.find("\r\n")) - kHelpBlock.find("\r\n") - 2, 16u);
}

TEST_F(MenuPatcherTest, AMenuWithBothHeadingsGrowsBySixLinesInTheRightPlaces) {
  Fs().PutFile(kSupport + "acad.mns", kMenu);
  EXPECT_TRUE(PatchAcadMenu(1, kSupport, "acad.mns", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.mns"),
            "***MENUGROUP=ACAD\r\n"
            "***TOOLBARS\r\n" +
                kToolbarBlock +
                "**TB_DRAW\r\n"
                "ID_TbDraw  [_Toolbar(\"Draw\", _Left, _Show, 0, 0, 1)]\r\n"
                "***HELPSTRINGS\r\n" +
                kHelpBlock +
                "ID_Line    [Creates straight line segments]\r\n"
                "***ACCELERATORS\r\n");
  // The folder ends with a backslash, so the backup's path holds a doubled one.
  EXPECT_EQ(Content(kSupport + "tktemp.bak"), kMenu);
  EXPECT_FALSE(Exists(kSupport + "tkmenu.new"));
  EXPECT_EQ(Fs().Snapshot().size(), 2u);
}

TEST_F(MenuPatcherTest, TheToolbarHeadingIsFoundInLowerCaseToo) {
  Fs().PutFile(kSupport + "acad.mns", CrLf({"***toolbars", "***HelpStrings"}));
  EXPECT_TRUE(PatchAcadMenu(1, kSupport, "acad.mns", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.mns"),
            "***toolbars\r\n" + kToolbarBlock + "***HelpStrings\r\n" + kHelpBlock);
}

TEST_F(MenuPatcherTest, ALineWithBothHeadingsGetsOnlyTheToolbar) {
  Fs().PutFile(kSupport + "acad.mns", CrLf({"***HELPSTRINGS ***TOOLBARS"}));
  EXPECT_TRUE(PatchAcadMenu(1, kSupport, "acad.mns", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.mns"), "***HELPSTRINGS ***TOOLBARS\r\n" + kToolbarBlock);
}

TEST_F(MenuPatcherTest, EveryHeadingLineGetsItsBlock) {
  Fs().PutFile(kSupport + "acad.mns", CrLf({"***TOOLBARS", "x", "***TOOLBARS"}));
  EXPECT_TRUE(PatchAcadMenu(1, kSupport, "acad.mns", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.mns"),
            "***TOOLBARS\r\n" + kToolbarBlock + "x\r\n***TOOLBARS\r\n" + kToolbarBlock);
}

TEST_F(MenuPatcherTest, ASecondRunFindsTheToolbarAndChangesNothing) {
  Fs().PutFile(kSupport + "acad.mns", kMenu);
  ASSERT_TRUE(PatchAcadMenu(1, kSupport, "acad.mns", toolkit::NoRecording()));
  const auto afterFirst = Fs().Snapshot();
  EXPECT_TRUE(PatchAcadMenu(1, kSupport, "acad.mns", toolkit::NoRecording()));
  EXPECT_EQ(Fs().Snapshot(), afterFirst);
}

TEST_F(MenuPatcherTest, TheLtMenuIsRecognisedByTheButtonLabelInAnyCase) {
  const std::string labelled = CrLf({"***TOOLBARS", "ID_x [_Button(\"ELEMENTO tolvek\")]"});
  Fs().PutFile("c:\\aclt\\aclt.mnu", labelled);
  EXPECT_TRUE(PatchAcadMenu(1, "c:\\aclt", "\\aclt.mnu", toolkit::NoRecording()));
  EXPECT_EQ(Content("c:\\aclt\\aclt.mnu"), labelled);
  EXPECT_FALSE(Exists("c:\\aclt\\tktemp.bak"));
}

TEST_F(MenuPatcherTest, TheLtMenuIsPatchedAgainWhenItHoldsOnlyTheToolbarName) {
  const std::string old = CrLf({"***TOOLBARS", "**TOLVEK"});
  Fs().PutFile("c:\\aclt\\aclt.mnu", old);
  EXPECT_TRUE(PatchAcadMenu(1, "c:\\aclt", "\\aclt.mnu", toolkit::NoRecording()));
  EXPECT_EQ(Content("c:\\aclt\\aclt.mnu"), "***TOOLBARS\r\n" + kToolbarBlock + "**TOLVEK\r\n");
  EXPECT_EQ(Content("c:\\aclt\\tktemp.bak"), old);
}

TEST_F(MenuPatcherTest, OnlyTheExactLtNameSelectsTheLabelMarker) {
  // Same file, other spelling of the name: the toolbar name is the marker, so it is left alone.
  const std::string old = CrLf({"***TOOLBARS", "**TOLVEK"});
  Fs().PutFile("c:\\aclt\\aclt.mnu", old);
  EXPECT_TRUE(PatchAcadMenu(1, "c:\\aclt", "\\ACLT.MNU", toolkit::NoRecording()));
  EXPECT_EQ(Content("c:\\aclt\\aclt.mnu"), old);
}

TEST_F(MenuPatcherTest, TemporaryAndBackupFilesLieInTheFolderArgument) {
  const std::string old = CrLf({"***TOOLBARS"});
  Fs().PutFile("c:\\cad\\support\\acad.mns", old);
  EXPECT_TRUE(PatchAcadMenu(1, "c:\\cad", "\\support\\acad.mns", toolkit::NoRecording()));
  EXPECT_EQ(Content("c:\\cad\\support\\acad.mns"), old + kToolbarBlock);
  EXPECT_EQ(Content("c:\\cad\\tktemp.bak"), old);
  EXPECT_FALSE(Exists("c:\\cad\\support\\tktemp.bak"));
}

// A backup the user keeps under the backup's name (or an earlier installation's) is the user's:
// it stays as it is, and the menu's backup takes the next free name.
TEST_F(MenuPatcherTest, AnOldBackupStaysAndTheNewOneTakesAFreeName) {
  Fs().PutFile(kSupport + "acad.mns", kMenu);
  Fs().PutFile(kSupport + "tktemp.bak", "an older menu");
  Fs().PutFile(kSupport + "tktemp-2.bak", "another");
  EXPECT_TRUE(PatchAcadMenu(1, kSupport, "acad.mns", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "tktemp.bak"), "an older menu");
  EXPECT_EQ(Content(kSupport + "tktemp-2.bak"), "another");
  EXPECT_EQ(Content(kSupport + "tktemp-3.bak"), kMenu);
}

TEST_F(MenuPatcherTest, AMenuWithoutHeadingsIsLeftAsItWas) {
  const std::string old = "***MENUGROUP=X\n***POP1\n**P1\n";
  Fs().PutFile(kSupport + "acad.mns", old);
  EXPECT_TRUE(PatchAcadMenu(1, kSupport, "acad.mns", toolkit::NoRecording()));
  EXPECT_EQ(Content(kSupport + "acad.mns"), old);
  EXPECT_FALSE(Exists(kSupport + "tktemp.bak"));
}

TEST_F(MenuPatcherTest, AMissingOrReadOnlyMenuGivesFalse) {
  EXPECT_FALSE(PatchAcadMenu(1, kSupport, "acad.mns", toolkit::NoRecording()));
  Fs().PutFile(kSupport + "acad.mns", kMenu);
  Fs().SetReadOnly(kSupport + "acad.mns", true);
  const auto before = Fs().Snapshot();
  EXPECT_FALSE(PatchAcadMenu(1, kSupport, "acad.mns", toolkit::NoRecording()));
  EXPECT_EQ(Fs().Snapshot(), before);
}

TEST_F(MenuPatcherTest, AnyModeButOneChangesNothing) {
  Fs().PutFile(kSupport + "acad.mns", kMenu);
  const auto before = Fs().Snapshot();
  for (int mode : {0, 2, -1}) {
    EXPECT_FALSE(PatchAcadMenu(mode, kSupport, "acad.mns", toolkit::NoRecording())) << mode;
    EXPECT_EQ(Fs().Snapshot(), before) << mode;
  }
}

}  // namespace
}  // namespace cad
