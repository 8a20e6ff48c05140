// The main dialog as the user first sees it: which texts land on which control, what is hidden
// for which variant, the radio groups, the status line and bar after creation, and what the
// install and exit buttons do with the buttons' states.
#include "app/MainDlg.h"
#include "app/Session.h"

#include <gtest/gtest.h>

#include "config/Vars.h"
#include "tests/support/Cp1252.h"
#include "tests/support/DialogTest.h"

namespace {

using testing_support::Cp1252;

using namespace toolkit;
using config::Vars;

class MainDlgTest : public testing_support::DialogTest {};

TEST_F(MainDlgTest, CreationLeavesAnEmptyStatusLineAndTheBarAtItsMinimum) {
  EXPECT_EQ(Dlg().LbLFile.Caption(), "");
  EXPECT_EQ(Dlg().ProgressBar1.Min(), 1);
  EXPECT_EQ(Dlg().ProgressBar1.Max(), 10);
  EXPECT_EQ(Dlg().ProgressBar1.Step(), 1);
  EXPECT_EQ(Dlg().ProgressBar1.Position(), 1);
}

TEST_F(MainDlgTest, CreationSetsTheStartUpValuesAndFillsTheBlock) {
  EXPECT_EQ(Vars.Language, 1);
  EXPECT_EQ(Vars.ProductCode, 1);
  EXPECT_TRUE(Vars.ShowWindowsChoice);
  EXPECT_FALSE(app::TheSession().state.cancelRequested);
  EXPECT_EQ(Vars.SourceDir, "c:\\setup");
  EXPECT_EQ(Vars.ProductTitle, "Tolvek v4");
}

TEST_F(MainDlgTest, ShowingBindsTheItalianConfiguration) {
  Show([&] {
    EXPECT_EQ(Dlg().Caption(), "Installazione di Tolvek ");
    EXPECT_EQ(Dlg().LblInstallazione.Caption(), "Installazione di");
    EXPECT_EQ(Dlg().Lbl_Program1.Caption(), "Tolvek v4");
    EXPECT_EQ(Dlg().Lbl_Program2.Caption(), Cp1252("\xAE"));
    EXPECT_TRUE(Dlg().Lbl_Program2.Visible());
    EXPECT_EQ(Dlg().LabelPer.Caption(), "per");
    EXPECT_EQ(Dlg().NomeCAD.Caption(), "AutoCAD");
    EXPECT_EQ(Dlg().DescrCAD.Caption(), "12/13/14/2000/2002/2004/2005/2006");
    EXPECT_EQ(Dlg().AppDir.Text(), "c:\\Programmi\\Autocad 2006");
    EXPECT_EQ(Dlg().DestDir.Text(), "c:\\Tolvek4");
    EXPECT_FALSE(Dlg().DestDir.Enabled());
    EXPECT_EQ(Dlg().LblAPP.Caption(), "Selezionare la cartella di AutoCAD");
    EXPECT_EQ(Dlg().LblAPP.Hint(), "Inserire la cartella dove trovare AutoCAD");
    EXPECT_EQ(Dlg().LblDEST.Hint(),
              Cp1252("\"install\" creer\xE0 automaticamente la cartella Tolvek"));
    EXPECT_EQ(Dlg().Installa.Caption(), "Esegui l'installazione");
    EXPECT_EQ(Dlg().Uscita.Caption(), "Uscita");
    EXPECT_EQ(Dlg().Panel2.Color(), clWhite);
    EXPECT_EQ(Dlg().PerNT.Caption(), "Per Windows NT/2000/XP");
    EXPECT_EQ(Dlg().Per14.Caption(), "Versioni precedenti la 2004");
  });
}

TEST_F(MainDlgTest, RadioButtonsShowAndCheckAsConfigured) {
  Show([&] {
    for (RadioButton* shown : {&Dlg().PerNT, &Dlg().Per95, &Dlg().Per2000, &Dlg().Per14}) {
      EXPECT_TRUE(shown->Visible()) << shown->Name();
    }
    EXPECT_FALSE(Dlg().PerLT.Visible());
    EXPECT_FALSE(Dlg().Per4.Visible());
    EXPECT_TRUE(Dlg().PerNT.Checked());
    EXPECT_FALSE(Dlg().Per95.Checked());
    EXPECT_TRUE(Dlg().Per2000.Checked());
    EXPECT_FALSE(Dlg().Per14.Checked());
  });
}

TEST_F(MainDlgTest, TheTwoRadioGroupsAreIndependent) {
  Show([&] {
    Dlg().Per95.Click();
    Dlg().Per14.Click();
    EXPECT_FALSE(Dlg().PerNT.Checked());
    EXPECT_TRUE(Dlg().Per95.Checked());
    EXPECT_FALSE(Dlg().Per2000.Checked());
    EXPECT_TRUE(Dlg().Per14.Checked());
  });
}

TEST_F(MainDlgTest, ShowingChecksPerNtAgainWhenVisible) {
  Dlg().Per95.SetChecked(true);
  Show([&] { EXPECT_TRUE(Dlg().PerNT.Checked()); });
}

TEST_F(MainDlgTest, ShowingClearsInstallDone) {
  app::TheSession().state.installDone = true;
  Show();
  EXPECT_FALSE(app::TheSession().state.installDone);
}

TEST_F(MainDlgTest, ProductCodesElevenAndThirtyHideTheAutoCadFolderControls) {
  for (int code : {11, 30}) {
    Configure(1, code);
    Dlg().LblAPP.SetVisible(true);
    Dlg().AppDir.SetVisible(true);
    Dlg().LabelPer.SetVisible(true);
    Show([&] {
      EXPECT_FALSE(Dlg().LblAPP.Visible()) << code;
      EXPECT_FALSE(Dlg().AppDir.Visible()) << code;
      EXPECT_FALSE(Dlg().LabelPer.Visible()) << code;
      // Without the product set the generation buttons go too; the family buttons stay.
      EXPECT_FALSE(Dlg().Per14.Visible());
      EXPECT_FALSE(Dlg().Per2000.Visible());
      EXPECT_TRUE(Dlg().PerNT.Visible());
    });
  }
}

TEST_F(MainDlgTest, AnEmptyMarkHidesTheMarkLabel) {
  Configure(1, 5);
  Show([&] { EXPECT_FALSE(Dlg().Lbl_Program2.Visible()); });
}

TEST_F(MainDlgTest, EnglishLeavesButtonsAndLabelsEmpty) {
  Configure(2, 1);
  Show([&] {
    EXPECT_EQ(Dlg().Caption(), "Tolvek ");
    EXPECT_EQ(Dlg().LabelPer.Caption(), "for");
    EXPECT_EQ(Dlg().Installa.Caption(), "");
    EXPECT_EQ(Dlg().Uscita.Caption(), "");
    EXPECT_EQ(Dlg().LblAPP.Caption(), "");
    EXPECT_EQ(Dlg().LblInstallazione.Caption(), "");
    EXPECT_EQ(Dlg().PerNT.Caption(), "For Windows NT/2000/XP");
  });
}

TEST_F(MainDlgTest, AnotherLanguageKeepsTheStoredCaption) {
  Configure(4, 1);
  Show([&] { EXPECT_EQ(Dlg().Caption(), "Installazione di..."); });
}

TEST_F(MainDlgTest, WindowsChoiceOffHidesTheFamilyButtons) {
  Configure(1, 1, false);
  Dlg().Per95.SetChecked(true);
  Show([&] {
    EXPECT_FALSE(Dlg().PerNT.Visible());
    EXPECT_FALSE(Dlg().Per95.Visible());
    EXPECT_FALSE(Dlg().PerNT.Checked());
  });
}

TEST_F(MainDlgTest, InstallButtonOfAnotherProductOnlyCyclesTheButtons) {
  Configure(1, 9);
  Show([&] {
    app::TheSession().state.diskNumber = 7;
    Dlg().Installa.Click();
    EXPECT_EQ(app::TheSession().state.diskNumber, 1);
    EXPECT_TRUE(Dlg().Installa.Enabled());
    EXPECT_TRUE(Dlg().Uscita.Enabled());
    // Nothing but the system's own profile folder.
    EXPECT_EQ(Disk().List("c:\\"), std::vector<std::string>{"Users\\"});
  });
}

TEST_F(MainDlgTest, ShowStatusRepaintsAtOnce) {
  int before = headless::UpdateCount(Dlg());
  app::ShowStatus("Tolvek toolbar...");
  EXPECT_EQ(Dlg().LbLFile.Caption(), "Tolvek toolbar...");
  EXPECT_EQ(headless::UpdateCount(Dlg()), before + 1);
}

TEST_F(MainDlgTest, ResetProgressEmptiesTheStatusAndRewindsTheBar) {
  Dlg().LbLFile.SetCaption("x.dat in copia...");
  Dlg().ProgressBar1.SetMax(40);
  Dlg().ProgressBar1.SetPosition(33);
  app::ResetProgress(Dlg());
  EXPECT_EQ(Dlg().LbLFile.Caption(), "");
  EXPECT_EQ(Dlg().ProgressBar1.Max(), 10);
  EXPECT_EQ(Dlg().ProgressBar1.Position(), 1);
}

TEST_F(MainDlgTest, ExitWithoutInstallingShowsNoReadme) {
  Show([&] { Dlg().Uscita.Click(); });
  EXPECT_EQ(Dlg().ModalResult(), mrCancel);
  EXPECT_FALSE(app::Lister->Visible());
}

TEST_F(MainDlgTest, ExitAfterAnInstallationShowsTheReadmeWithAnUpperCasePath) {
  Disk().PutFile("c:\\Tolvek4\\Help\\readme.rtf", "{\\rtf1 Tolvek}");
  std::string caption;
  std::string content;
  Show([&] {
    app::TheSession().state.installDone = true;
    // The viewer is modal: the user reads it, then closes it.
    headless::QueueUserAction([&] {
      caption = app::Lister->Caption();
      content = app::Lister->RichEdit1.Content();
      app::Lister->Close();
    });
    Dlg().Uscita.Click();
  });
  EXPECT_EQ(caption, "C:\\TOLVEK4\\HELP\\README.RTF");
  EXPECT_EQ(content, "{\\rtf1 Tolvek}");
}

TEST_F(MainDlgTest, AMissingReadmeGivesAnErrorAndStillCloses) {
  headless::ExpectBox(BoxKind::kError, "Cannot open file c:\\Tolvek4\\help\\readme.rtf");
  Show([&] {
    app::TheSession().state.installDone = true;
    Dlg().Uscita.Click();
  });
  EXPECT_EQ(Dlg().ModalResult(), mrCancel);
}

TEST(UpperCaseAscii, ChangesOnlyTheLettersAToZ) {
  EXPECT_EQ(app::UpperCaseAscii("c:\\tolvek4\\\xE8x.rtf"), "C:\\TOLVEK4\\\xE8X.RTF");
}

}  // namespace
