// A whole installation on the headless backend, as a user runs it: a medium with every package,
// an AutoCAD of either generation, the boxes in their order, the files where they belong, the
// AutoCAD files patched, and what the user may do while it runs.
#include "app/Session.h"
#include "install/Sequence.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/MainDlg.h"
#include "config/Vars.h"
#include "extract/PackageTable.h"
#include "install/Messages.h"
#include "tests/install/InstallScene.h"
#include "tests/support/Cp1252.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace {

using testing_support::Cp1252;

using namespace toolkit;
using headless::MemReg;
using headless::ProgramManager;

using namespace testing_support;

class SequenceTest : public InstallScene {};

TEST_F(SequenceTest, ANewerAutoCadGetsEverythingInItsProfilesSupportFolder) {
  ExpectTheEnd();
  Install();
  EXPECT_EQ(Disk().FileContent(kSupport + "tkicon1.bmp"), "BM icon one");
  EXPECT_EQ(Disk().FileContent(kSupport + "tkicon2.bmp"), "BM icon two");
  EXPECT_EQ(Disk().FileContent(kSupport + "tolvek.lsp"), "(defun c:tolvek () (princ))");
  EXPECT_FALSE(Disk().FileExists(kAcad + "\\tolvek.lsp"));
  EXPECT_FALSE(Disk().FileExists(kAcad + "\\support\\tolvek.lsp"));
  // The menu gets the toolbar, the command alias file the start command, each with a backup.
  EXPECT_NE(Disk().FileContent(kSupport + "acad.mns")->find("**TOLVEK"), std::string::npos);
  EXPECT_NE(Disk().FileContent(kSupport + "acad.pgp"), kPgp);
  EXPECT_NE(Disk().FileContent(kAcad + "\\support\\acad2005doc.lsp")->find("(load \"tolvek\""),
            std::string::npos);
  EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\Cfg\\tolvek.cfg"), "[cfg]\r\nunits=mm\r\n");
  EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\Help\\readme.rtf"), "{\\rtf1 Tolvek demo}");
  EXPECT_EQ(Disk().FileContent("c:\\Tolvek4\\Parts\\Kx\\parts-kx.pck.dat"), "data of parts-kx.pck");
  EXPECT_TRUE(app::TheSession().state.installDone);
  EXPECT_EQ(Dlg().LbLFile.Caption(), "Copia terminata");
  EXPECT_TRUE(Dlg().Installa.Enabled());
  EXPECT_TRUE(Dlg().Uscita.Enabled());
  EXPECT_EQ(app::TheSession().state.workDir, "c:\\Tolvek4");
}

TEST_F(SequenceTest, ARelease14GoesIntoTheAutoCadFolderAndLeavesTheRegistryAlone) {
  Disk().PutFile(kAcad + "\\support\\acadr14.lsp",
                 ";;;===== AutoLoad LISP Applications =====\r\n(princ)\r\n");
  Disk().PutFile(kAcad + "\\support\\acad.mns", kMenu);
  MemReg().Reset();
  ExpectTheEnd();
  Install([&] { Dlg().Per14.Click(); });
  EXPECT_EQ(Disk().FileContent(kAcad + "\\support\\tkicon1.bmp"), "BM icon one");
  EXPECT_EQ(Disk().FileContent(kAcad + "\\support\\tkicon2.bmp"), "BM icon two");
  EXPECT_TRUE(Disk().FileExists(kAcad + "\\tolvek.lsp"));
  EXPECT_TRUE(Disk().FileExists(kAcad + "\\support\\tolvek.lsp"));
  EXPECT_NE(Disk().FileContent(kAcad + "\\support\\acad.mns")->find("**TOLVEK"), std::string::npos);
  // The command alias file is not touched in this branch, and no AutoCAD key was made.
  EXPECT_EQ(Disk().FileContent(kSupport + "acad.pgp"), kPgp);
  EXPECT_FALSE(MemReg().KeyExists("\\Software\\Autodesk\\AutoCAD"));
}

TEST_F(SequenceTest, AFolderWithoutStartUpFilesGetsTheManualEditMessage) {
  // The registry names AutoCAD 2005, whose start-up files are not in this folder.
  std::string acad2005 = "c:\\Acad2005";
  Disk().MakeDirs(acad2005);
  headless::ExpectBox(BoxKind::kPlain, install::JoinLines(install::kLispNotPatched.italian));
  ExpectTheEnd();
  Install([&] { Dlg().AppDir.SetText(acad2005); });
  EXPECT_EQ(headless::ShownBoxes()[0].title, "KOVIA Install");
  EXPECT_NE(headless::ShownBoxes()[0].text.find(Cp1252("\r\n\r\nSar\xE0 necessario")),
            std::string::npos);
}

TEST_F(SequenceTest, AutoCad2026WithoutStartUpFilesLoadsTheProductFromATrustedBundle) {
  const std::string acad2026 = "c:\\Acad2026";
  const std::string product = "\\Software\\Autodesk\\AutoCAD\\R25.1\\ACAD-9101:409";
  const std::string appData = "c:\\Users\\u1\\AppData\\Roaming";
  const std::string contents = appData + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle\\Contents";
  Disk().MakeDirs(acad2026);
  Disk().MakeDirs(appData);
  Disk().SetAppDataDir(appData);
  MemReg().SetString("\\Software\\Autodesk\\AutoCAD", "CurVer", "R25.1");
  MemReg().SetString("\\Software\\Autodesk\\AutoCAD\\R25.1", "CurVer", "ACAD-9101:409");
  MemReg().SetString(product, "RoamableRootFolder", kProfile);
  MemReg().SetString(product + "\\Profiles\\<<Unnamed Profile>>\\Variables", "TRUSTEDPATHS",
                     "C:\\Mine");
  ExpectTheEnd();
  Install([&] { Dlg().AppDir.SetText(acad2026); });
  // The bundle's copies are the package's, as the support folder's are.
  for (const char* file : {"tolvek.lsp", "tkicon1.bmp", "tkicon2.bmp"}) {
    EXPECT_EQ(Disk().FileContent(contents + "\\" + file), Disk().FileContent(kSupport + file));
  }
  EXPECT_TRUE(Disk().FileExists(contents + "\\..\\PackageContents.xml"));
  EXPECT_EQ(
      MemReg().StringValue(product + "\\Profiles\\<<Unnamed Profile>>\\Variables", "TRUSTEDPATHS"),
      "C:\\Mine;" + contents);
  EXPECT_FALSE(Disk().FileExists(kSupport + "acaddoc.lsp"));
}

TEST_F(SequenceTest, MenuAndAliasFilesThatCannotBeOpenedGetTheirMessages) {
  Disk().SetReadOnly(kSupport + "acad.mns", true);
  Disk().SetReadOnly(kSupport + "acad.pgp", true);
  headless::ExpectBox(BoxKind::kPlain, install::JoinLines(install::kMenuNotPatched2004.italian));
  headless::ExpectBox(BoxKind::kPlain, install::JoinLines(install::kPgpNotPatched.italian));
  ExpectTheEnd();
  Install();
  EXPECT_EQ(Disk().FileContent(kSupport + "acad.mns"), kMenu);
  EXPECT_TRUE(app::TheSession().state.installDone);
}

TEST_F(SequenceTest, TheRelease14MenuMessageIsItsOwn) {
  headless::ExpectBox(BoxKind::kPlain, install::JoinLines(install::kMenuNotPatchedR14.italian));
  ExpectTheEnd();
  Install([&] { Dlg().Per14.Click(); });
}

TEST_F(SequenceTest, EnglishShowsTheEnglishTextsAndEmptyOnes) {
  Disk().SetReadOnly(kSupport + "acad.pgp", true);
  Configure(2, 1);
  headless::ExpectBox(BoxKind::kPlain, install::JoinLines(install::kPgpNotPatched.english));
  headless::ExpectBox(BoxKind::kInformation, "", mrNo);
  headless::ExpectBox(BoxKind::kInformation, "");
  headless::ExpectBox(BoxKind::kPlain,
                      "For complete the installation, reboot the computer, please.");
  Install();
  EXPECT_EQ(Dlg().LbLFile.Caption(), "");
}

TEST_F(SequenceTest, AnotherLanguageShowsNoManualEditMessages) {
  Disk().SetReadOnly(kSupport + "acad.pgp", true);
  Configure(3, 1);
  headless::ExpectBox(BoxKind::kInformation, "", mrNo);
  headless::ExpectBox(BoxKind::kInformation, "");
  headless::ExpectBox(BoxKind::kPlain, "");
  Install();
}

TEST_F(SequenceTest, NoRestartNoticeForWindows98OrWithoutTheChoice) {
  ExpectTheEnd(false);
  Install([&] { Dlg().Per95.Click(); });
  Restart();
  Configure(1, 1, false);
  ExpectTheEnd(false);
  Install();
}

TEST_F(SequenceTest, WithoutTheGroupOfferTheSuccessFollowsDirectly) {
  config::Vars.OfferProgramGroup = false;
  headless::ExpectBox(BoxKind::kInformation, kSuccess);
  headless::ExpectBox(BoxKind::kPlain, kReboot);
  Install();
  EXPECT_TRUE(ProgramManager().commands.empty());
}

TEST_F(SequenceTest, TheGenerationIsReadAgainAfterTheFilesAreExtracted) {
  // The user switches to the earlier generation while the product's files are being copied:
  // the files went to the profile, the menu patch looks in the AutoCAD folder.
  Disk().PutFile(kAcad + "\\support\\acad.mns", kMenu);
  ExpectTheEnd();
  Install([&] { headless::QueueDuringProcessing([&] { Dlg().Per14.Click(); }); });
  EXPECT_TRUE(Disk().FileExists(kSupport + "tolvek.lsp"));
  EXPECT_NE(Disk().FileContent(kAcad + "\\support\\acad.mns")->find("**TOLVEK"), std::string::npos);
  EXPECT_EQ(Disk().FileContent(kSupport + "acad.mns"), kMenu);
}

TEST_F(SequenceTest, ExitDuringTheInstallationFinishesItAndShowsNoReadme) {
  ExpectTheEnd();
  Show([&] {
    headless::QueueDuringProcessing([&] { Dlg().Uscita.Click(); });
    Dlg().Installa.Click();
  });
  EXPECT_TRUE(app::TheSession().state.installDone);
  EXPECT_EQ(Dlg().ModalResult(), mrCancel);
  EXPECT_FALSE(app::Lister->Visible());
}

TEST_F(SequenceTest, AbandoningAtADiskPromptEndsSilently) {
  Disk().Delete("c:\\setup\\parts-kx.pck");
  headless::ExpectBox(BoxKind::kInformation, "Inserire il disco Nr. 2", mrCancel);
  headless::ExpectBox(BoxKind::kInformation, "Sicuri di volere abbandonare l'installazione ?",
                      mrYes);
  Install();
  EXPECT_FALSE(app::TheSession().state.installDone);
  EXPECT_FALSE(Dlg().Installa.Enabled());
  EXPECT_TRUE(Dlg().Uscita.Enabled());
  EXPECT_FALSE(Disk().DirExists("c:\\Tolvek4\\Parts\\Corvani\\sub"));
}

// A numbered-disk medium in drive A:, one disk at a time, as a drive holds them: the installer and
// its library are on disk 1 and gone once disk 2 is in, so nothing of disk 1 may be read after the
// first prompt, and the installation must still complete with its uninstaller in place.
TEST_F(SequenceTest, AMultiDiskMediumCompletesAfterItsFirstDiskLeavesTheDrive) {
  Disk().AddDrive('a');
  const std::vector<PackageContent> packages = DemoPackages();
  // Disk 1: the installer, the sequence's own three packages and the first of the table; then
  // six packages a disk.
  std::vector<std::vector<PackageContent>> disks(1);
  for (const PackageContent& package : packages) {
    if (disks.back().size() == (disks.size() == 1 ? 4u : 6u)) disks.emplace_back();
    disks.back().push_back(package);
  }
  ASSERT_EQ(disks.size(), 4u);
  const auto insert = [&](std::size_t number) {
    for (const std::string& name : Disk().List("a:\\")) ASSERT_EQ(Disk().Delete("a:\\" + name), 0u);
    for (const PackageContent& package : disks[number - 1]) {
      WritePackage(Disk(), "a:" + package.package, package.files);
    }
    if (number == 1) Disk().PutFile("a:\\install.exe", "MZ installer on disk 1");
  };
  insert(1);
  Disk().SetProgramPath("a:\\install.exe");
  Restart();
  for (std::size_t number = 2; number <= disks.size(); ++number) {
    headless::ExpectBoxThen(BoxKind::kInformation,
                            "Inserire il disco Nr. " + std::to_string(number), mrOk,
                            [&, number] { insert(number); });
  }
  ExpectTheEnd();
  Install();
  EXPECT_TRUE(app::TheSession().state.installDone);
  EXPECT_EQ(Disk().FileContent("c:\\Users\\user\\AppData\\Local\\Tolvek\\UNINSTAL.EXE"),
            "MZ installer on disk 1");
  for (const PackageContent& package : packages) {
    for (const auto& [name, content] : package.files) {
      if (name.find('/') != std::string::npos || package.package == extract::kCadPackage) continue;
      const auto row =
          std::find_if(std::begin(extract::PackageTable), std::end(extract::PackageTable),
                       [&](const auto& r) { return package.package == r.package; });
      const std::string folder = row != std::end(extract::PackageTable)       ? row->target
                                 : package.package == extract::kConfigPackage ? "\\cfg\\"
                                                                              : "\\help\\";
      EXPECT_EQ(Disk().FileContent("c:\\Tolvek4" + folder + name), content) << name;
    }
  }
}

TEST_F(SequenceTest, AWrongRegistryValueEndsTheInstallationWithItsMessage) {
  MemReg().SetNumber("\\Software\\Autodesk\\AutoCAD", "CurVer", 16);
  headless::ExpectBox(BoxKind::kError, "Invalid data type for 'CurVer'");
  Install();
  EXPECT_FALSE(app::TheSession().state.installDone);
  EXPECT_FALSE(Dlg().Installa.Enabled());
}

TEST_F(SequenceTest, ASecondInstallationChangesNoAutoCadFile) {
  ExpectTheEnd();
  Install();
  auto acad = Disk().Snapshot("c:\\Programmi");
  auto profile = Disk().Snapshot("c:\\Profiles");
  ExpectTheEnd();
  Install();
  EXPECT_EQ(Disk().Snapshot("c:\\Programmi"), acad);
  EXPECT_EQ(Disk().Snapshot("c:\\Profiles"), profile);
}

}  // namespace
