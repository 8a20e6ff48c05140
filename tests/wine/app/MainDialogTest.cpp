// The real INSTALL.EXE under Wine, read from outside its process: the main dialog's caption,
// every control's text (byte for byte, code page 1252), visibility and check state, the task-bar
// title, the maximized background window, and the exit button ending the program.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "tests/wine/support/Driver.h"

namespace {

using namespace winetest;

class MainDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    installer_ = std::make_unique<InstallerProcess>(BuiltFile("INSTALL.EXE"), "");
    ASSERT_NE(installer_->Id(), 0u) << "INSTALL.EXE did not start";
    dialog_ = WaitForWindow(installer_->Id(),
                            [](HWND window) { return ControlName(window) == "MainDlg"; });
    ASSERT_NE(dialog_, nullptr) << "the main dialog did not appear";
  }

  HWND Control(const std::string& name) {
    HWND window = FindControl(dialog_, name);
    EXPECT_NE(window, nullptr) << name;
    return window;
  }

  std::unique_ptr<InstallerProcess> installer_;
  HWND dialog_ = nullptr;
};

TEST_F(MainDialogTest, ShowsTheConfiguredTextsAndChoices) {
  EXPECT_EQ(Text(dialog_), "Installazione di Tolvek ");
  EXPECT_EQ(Text(Control("LblInstallazione")), "Installazione di");
  EXPECT_EQ(Text(Control("Lbl_Program1")), "Tolvek v4");
  EXPECT_EQ(Text(Control("Lbl_Program2")), "\xAE");
  EXPECT_EQ(Text(Control("LabelPer")), "per");
  EXPECT_EQ(Text(Control("NomeCAD")), "AutoCAD");
  EXPECT_EQ(Text(Control("DescrCAD")), "12/13/14/2000/2002/2004/2005/2006");
  EXPECT_EQ(Text(Control("PerNT")), "Per Windows NT/2000/XP");
  EXPECT_EQ(Text(Control("Per95")), "Per Windows 98/ME");
  EXPECT_EQ(Text(Control("Per2000")), "Versione 2004/2005/2006");
  EXPECT_EQ(Text(Control("Per14")), "Versioni precedenti la 2004");
  EXPECT_EQ(Text(Control("LblAPP")), "Selezionare la cartella di AutoCAD");
  EXPECT_EQ(Text(Control("AppDir")), "c:\\Programmi\\Autocad 2006");
  EXPECT_EQ(Text(Control("LblDEST")),
            "Tolvek verr\xE0 installato nella cartella (non modificabile)");
  EXPECT_EQ(Text(Control("DestDir")), "c:\\Tolvek4");
  EXPECT_EQ(Text(Control("Installa")), "Esegui l'installazione");
  EXPECT_EQ(Text(Control("Uscita")), "Uscita");
  EXPECT_EQ(Text(Control("LbLFile")), "");
}

TEST_F(MainDialogTest, ShowsFourRadioButtonsWithTheDefaultsChecked) {
  for (const char* shown : {"PerNT", "Per95", "Per2000", "Per14"}) {
    EXPECT_TRUE(IsWindowVisible(Control(shown))) << shown;
  }
  EXPECT_FALSE(IsWindowVisible(Control("PerLT")));
  EXPECT_FALSE(IsWindowVisible(Control("Per4")));
  EXPECT_TRUE(Checked(Control("PerNT")));
  EXPECT_FALSE(Checked(Control("Per95")));
  EXPECT_TRUE(Checked(Control("Per2000")));
  EXPECT_FALSE(Checked(Control("Per14")));
}

TEST_F(MainDialogTest, DestinationIsDisabledAndTheBarStandsAtItsMinimum) {
  EXPECT_FALSE(IsWindowEnabled(Control("DestDir")));
  EXPECT_TRUE(IsWindowEnabled(Control("AppDir")));
  HWND bar = Control("ProgressBar1");
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 1);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 1);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 10);
}

TEST_F(MainDialogTest, IsABorderlessFixedDialogInTheMiddleOfTheScreen) {
  RECT client;
  GetClientRect(dialog_, &client);
  EXPECT_EQ(client.right, 613);
  EXPECT_EQ(client.bottom, 431);
  EXPECT_EQ(GetWindowLongA(dialog_, GWL_STYLE) & WS_CAPTION, 0);
  RECT outer;
  GetWindowRect(dialog_, &outer);
  EXPECT_NEAR(outer.left + outer.right, GetSystemMetrics(SM_CXSCREEN), 2);
  EXPECT_NEAR(outer.top + outer.bottom, GetSystemMetrics(SM_CYSCREEN), 2);
}

TEST_F(MainDialogTest, TheTaskBarEntrySaysKoviaInstall) {
  HWND application = nullptr;
  for (HWND window : TopLevelWindows(installer_->Id())) {
    if (ClassOf(window) == "TApplication") application = window;
  }
  ASSERT_NE(application, nullptr);
  EXPECT_EQ(Text(application), "KOVIA Install");
}

TEST_F(MainDialogTest, TheBackgroundWindowIsMaximizedWithSystemMenuOnly) {
  HWND background = WaitForWindow(installer_->Id(),
                                  [](HWND window) { return ControlName(window) == "SfondoDlg"; });
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(Text(background), "Install v 5.0");
  EXPECT_TRUE(IsZoomed(background));
  LONG style = GetWindowLongA(background, GWL_STYLE);
  EXPECT_NE(style & WS_SYSMENU, 0);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  // The main dialog is modal over it.
  EXPECT_FALSE(IsWindowEnabled(background));
}

TEST_F(MainDialogTest, TheExitButtonEndsTheProgram) {
  Press(Control("Uscita"));
  EXPECT_TRUE(installer_->WaitForExit(15s));
  // Leaving before any installation completed is the user's abandon, as the Windows Installer
  // reports it.
  EXPECT_EQ(installer_->ExitCode(), std::optional<DWORD>(1602));
}

}  // namespace
