// Start-up and shutdown as a whole: the folder the packages are looked up in, and a run of the
// installer from its entry to its end through the headless backend.
#include "app/Startup.h"

#include <gtest/gtest.h>

#include "app/MainDlg.h"
#include "config/Vars.h"
#include "tests/support/HeadlessTest.h"
#include "toolkit/Forms.h"
#include "ui/Sfondo.h"

namespace {

using namespace toolkit;

TEST(SourceDir, IsTheProgramsFolderWithoutTheBackslash) {
  EXPECT_EQ(app::SourceDirOf("c:\\setup\\install.exe"), "c:\\setup");
  EXPECT_EQ(app::SourceDirOf("d:\\a\\b c\\INSTALL.EXE"), "d:\\a\\b c");
}

TEST(SourceDir, AtADriveRootIsTheDriveAlone) {
  EXPECT_EQ(app::SourceDirOf("a:\\install.exe"), "a:");
  EXPECT_EQ(app::SourceDirOf("a:\\install.exe") + "\\tk.pck", "a:\\tk.pck");
}

class StartupTest : public testing_support::HeadlessTest {};

TEST_F(StartupTest, TheInstallerShowsTheDialogOverTheBackgroundAndEndsOnExit) {
  Disk().SetProgramPath("a:\\install.exe");
  bool sawDialog = false;
  headless::QueueUserAction([&] {
    sawDialog = true;
    EXPECT_EQ(App().Title(), "KOVIA Install");
    EXPECT_EQ(App().MainForm(), ui::SfondoDlg.get());
    EXPECT_EQ(ui::SfondoDlg->Color(), clNavy);
    EXPECT_EQ(ui::SfondoDlg->LabelEffect1.Caption(), "Tolvek per AutoCAD");
    EXPECT_EQ(ui::SfondoDlg->Caption(), "Install v 5.0");
    EXPECT_EQ(ui::SfondoDlg->WindowState(), wsMaximized);
    EXPECT_TRUE(app::MainDlg->Modal());
    EXPECT_EQ(config::Vars.SourceDir, "a:");
    app::MainDlg->Uscita.Click();
  });
  app::RunInstaller();
  EXPECT_TRUE(sawDialog);
  EXPECT_TRUE(App().Terminated());
  // Every window is gone once the installer has ended.
  EXPECT_EQ(app::MainDlg, nullptr);
  EXPECT_EQ(ui::SfondoDlg, nullptr);
}

}  // namespace
