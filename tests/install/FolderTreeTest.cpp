// The install button's first steps: the AutoCAD folder is checked and normalised, and the
// destination tree is made with its exact capitalisation, creating only what is missing and never
// touching what is there. Failures must show the right box and leave the buttons as the user
// needs them; an installation that ends early takes away again the folders it made.
#include "app/Session.h"
#include "install/FolderTree.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "config/Vars.h"
#include "install/Journal.h"
#include "install/Messages.h"
#include "install/Registration.h"
#include "tests/support/Cp1252.h"
#include "tests/support/DialogTest.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace {

using testing_support::Cp1252;

using namespace toolkit;
using headless::FsOp;

const char* const kCadFolder = "c:\\Programmi\\Autocad 2006";

const std::vector<std::string> kDestinationListing = {
    "Acrobat\\", "Cfg\\", "Help\\", "Images\\", "Parts\\", "Store\\", "Tol\\", "UserParts\\"};
const std::vector<std::string> kPartsListing = {
    "Bin\\", "Corvani\\",    "Dulma\\",  "Harvo\\",   "Img\\",
    "Kx\\",  "Pneumatica\\", "Quessa\\", "Special\\", "Vimora\\"};

class FolderTreeTest : public testing_support::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Disk().MakeDirs(kCadFolder);
    // The running installer, which the installation copies as its uninstaller.
    Disk().PutFile("c:\\setup\\install.exe", "MZ installer");
    // An AutoCAD 2004 profile for this user, so that the installation can start.
    const std::string key = "\\Software\\Autodesk\\AutoCAD";
    headless::MemReg().SetString(key, "CurVer", "R16.1");
    headless::MemReg().SetString(key + "\\R16.1", "CurVer", "ACAD-301:409");
    headless::MemReg().SetString(key + "\\R16.1\\ACAD-301:409", "RoamableRootFolder",
                                 "c:\\Profili\\");
    Disk().MakeDirs("c:\\Profili\\Support");
  }

  // The sequence goes on after the tree: this AutoCAD folder has no start-up file and the medium
  // no package, so the AutoLISP message comes, then the first disk prompt, where `atPrompt` looks
  // at the disk before the user abandons.
  static void ExpectTheRestOfTheRun(const std::function<void()>& atPrompt) {
    headless::ExpectBox(BoxKind::kPlain, install::JoinLines(install::kLispNotPatched.italian));
    headless::ExpectBoxThen(BoxKind::kInformation, "Inserire il disco Nr. 2", mrCancel, atPrompt);
    headless::ExpectBox(BoxKind::kInformation, "Sicuri di volere abbandonare l'installazione ?",
                        mrYes);
  }

  // Presses the install button with the dialog shown, as the user does.
  void PressInstall(const std::function<void()>& atPrompt = [] {}) {
    Show([&] {
      ExpectTheRestOfTheRun(atPrompt);
      Dlg().Installa.Click();
    });
  }

  // An error's text as the installation shows it, once it has undone its changes.
  static std::string Undone(const std::string& error) {
    return error + "\r\n\r\n" + config::Vars.MsgNothingChanged;
  }

  void ExpectCompleteTree() {
    // While an installation runs, its journal and its uninstaller stand beside the tree, and,
    // once it has reached AutoCAD's files, the folder of the copy of them it keeps.
    std::vector<std::string> destination = Disk().List("c:\\Tolvek4");
    std::erase(destination, install::kJournalName);
    std::erase(destination, install::kUninstallerName);
    std::erase(destination, "AutoCAD\\");
    EXPECT_EQ(destination, kDestinationListing);
    EXPECT_EQ(Disk().List("c:\\Tolvek4\\Parts"), kPartsListing);
    EXPECT_EQ(Disk().List("c:\\Tolvek4\\Parts\\Pneumatica"), std::vector<std::string>{"Img\\"});
    EXPECT_EQ(Disk().List("c:\\Tolvek4\\UserParts"), std::vector<std::string>{"Cache\\"});
  }
};

TEST_F(FolderTreeTest, InstallCreatesTheWholeTreeWithItsCapitalisation) {
  PressInstall([&] { ExpectCompleteTree(); });
  // Abandoned: the tree it made goes again.
  EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4"));
}

TEST_F(FolderTreeTest, TheTreeLeavesTheCurrentFolderInUserPartsAndWorkDirAtTheDestination) {
  Show([&] { EXPECT_TRUE(install::CreateFolderTree(Dlg().FrontEnd())); });
  EXPECT_EQ(Fs().CurrentDir(), "c:\\Tolvek4\\UserParts");
  EXPECT_EQ(app::TheSession().state.workDir, "c:\\Tolvek4");
}

TEST_F(FolderTreeTest, ASecondInstallOverACompleteTreeChangesNothing) {
  Disk().PutFile("c:\\Tolvek4\\Parts\\Bin\\part.dat", "data");
  Show([&] { EXPECT_TRUE(install::CreateFolderTree(Dlg().FrontEnd())); });
  auto before = Disk().Snapshot();
  int creations = Disk().CallCount(FsOp::kCreateDir);
  Restart();
  PressInstall();
  EXPECT_EQ(Disk().Snapshot(), before);
  // Of the tree nothing, only the record's folder in the user's application data and the folder
  // of the copy of AutoCAD's files.
  EXPECT_EQ(Disk().CallCount(FsOp::kCreateDir), creations + 2);
  ExpectCompleteTree();
}

TEST_F(FolderTreeTest, APartialTreeIsCompletedAndItsFilesStay) {
  Disk().PutFile("c:\\tolvek4\\PARTS\\notes.txt", "mine");
  PressInstall([&] {
    EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\Parts\\notes.txt"), "mine");
    // The folder keeps the name it was made with; the rest is created as the tree names it.
    const std::vector<std::string> destination = Disk().List("c:\\Tolvek4");
    EXPECT_NE(std::find(destination.begin(), destination.end(), "PARTS\\"), destination.end());
    EXPECT_EQ(Disk().List("c:\\Tolvek4\\Parts").size(), kPartsListing.size() + 1);
  });
  // What stood before the installation stays when it is abandoned.
  EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\Parts\\notes.txt"), "mine");
  EXPECT_EQ(Disk().List("c:\\Tolvek4"), std::vector<std::string>{"PARTS\\"});
}

TEST_F(FolderTreeTest, AMissingAutoCadFolderStopsBeforeCreatingAnything) {
  Show([&] {
    Dlg().AppDir.SetText("c:\\Programmi\\Autocad 2009");
    headless::ExpectBox(
        BoxKind::kPlain,
        Cp1252("La cartella di AutoCAD non \xE8 stata trovata. Impossibile procedere con "
               "l'installazione"));
    Dlg().Installa.Click();
    EXPECT_TRUE(Dlg().Installa.Enabled());
    EXPECT_TRUE(Dlg().Uscita.Enabled());
  });
  EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4"));
  EXPECT_EQ(Disk().CallCount(FsOp::kCreateDir), 0);
}

TEST_F(FolderTreeTest, OneTrailingBackslashIsRemovedFromTheAutoCadFolder) {
  Show([&] {
    Dlg().AppDir.SetText(std::string(kCadFolder) + "\\");
    EXPECT_TRUE(install::CreateFolderTree(Dlg().FrontEnd()));
    EXPECT_EQ(Dlg().AppDir.Text(), kCadFolder);
    Dlg().AppDir.SetText(std::string(kCadFolder) + "\\\\");
    EXPECT_TRUE(install::CreateFolderTree(Dlg().FrontEnd()));
    EXPECT_EQ(Dlg().AppDir.Text(), std::string(kCadFolder) + "\\");
  });
}

TEST_F(FolderTreeTest, AHiddenAutoCadBoxIsNotCheckedButStillNormalised) {
  Show([&] {
    Dlg().AppDir.SetVisible(false);
    Dlg().AppDir.SetText("c:\\nowhere\\");
    EXPECT_TRUE(install::CreateFolderTree(Dlg().FrontEnd()));
    EXPECT_EQ(Dlg().AppDir.Text(), "c:\\nowhere");
  });
  ExpectCompleteTree();
}

TEST_F(FolderTreeTest, AFileInTheWayEndsTheInstallWithAnErrorAndKeepsInstallDisabled) {
  Disk().PutFile("c:\\Tolvek4\\Store", "not a folder");
  Show([&] {
    headless::ExpectBox(BoxKind::kError, Undone("I/O error 183"));
    Dlg().Installa.Click();
    EXPECT_FALSE(Dlg().Installa.Enabled());
    EXPECT_TRUE(Dlg().Uscita.Enabled());
  });
  // The folders made before the failure go again; the file is untouched.
  EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4\\Tol"));
  EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\Store"), "not a folder");
  EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4\\Parts"));
}

TEST_F(FolderTreeTest, AFolderThatCannotBeCreatedShowsTheSystemsText) {
  Disk().FailOnPath(FsOp::kCreateDir, "Help", kErrAccessDenied);
  Show([&] {
    headless::ExpectBox(BoxKind::kError, Undone("File access denied"));
    Dlg().Installa.Click();
    EXPECT_FALSE(Dlg().Installa.Enabled());
  });
  EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4"));
  EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4\\Images"));
}

TEST_F(FolderTreeTest, ADestinationOnAnotherDriveIsCreatedAtItsAbsolutePath) {
  // Started from a floppy: drive A: is current.
  Disk().AddDrive('a');
  Disk().MakeDirs("a:\\setup");
  Show([&] {
    Dlg().AppDir.SetVisible(false);
    fs::ChDir("a:\\setup");
    EXPECT_TRUE(install::CreateFolderTree(Dlg().FrontEnd()));
  });
  ExpectCompleteTree();
  EXPECT_TRUE(Disk().List("a:\\setup").empty());
}

TEST_F(FolderTreeTest, ADestinationBeginningWithABackslashFails) {
  Show([&] {
    Dlg().DestDir.SetText("\\Tolvek4");
    headless::ExpectBox(BoxKind::kError, Undone("Invalid filename"));
    Dlg().Installa.Click();
    EXPECT_FALSE(Dlg().Installa.Enabled());
  });
  EXPECT_EQ(Disk().List("c:\\"),
            (std::vector<std::string>{"Profili\\", "Programmi\\", "setup\\", "Users\\"}));
}

TEST_F(FolderTreeTest, AMissingDriveFails) {
  Show([&] {
    Dlg().DestDir.SetText("q:\\Tolvek4");
    headless::ExpectBox(BoxKind::kError, Undone("Invalid filename"));
    Dlg().Installa.Click();
  });
  EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4"));
}

}  // namespace
