// Start-up and shutdown as a whole: the folder the packages are looked up in, a run of the
// installer from its entry to its end through the headless backend, and the main dialog shown
// once in a run however often the background window is activated.
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

TEST_F(StartupTest, TheMainDialogShowsOnceHoweverOftenTheBackgroundIsActivated) {
  Disk().SetProgramPath("a:\\install.exe");
  int shows = 0;
  headless::QueueUserAction([&] {
    // The first activation has shown the dialog; count every showing from here on.
    ASSERT_TRUE(app::MainDlg->Modal());
    shows = 1;
    app::MainDlg->OnShow = [&shows, formShow = app::MainDlg->OnShow] {
      ++shows;
      formShow();
    };
    // The background comes to the front twice more while the dialog is up, as when both
    // activations were queued before the first was handled.
    ui::SfondoDlg->DoActivate();
    ui::SfondoDlg->DoActivate();
    app::MainDlg->Uscita.Click();
  });
  app::RunInstaller();
  EXPECT_EQ(shows, 1);
  EXPECT_TRUE(App().Terminated());
}

}  // namespace
