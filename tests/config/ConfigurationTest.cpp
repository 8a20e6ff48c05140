// The configuration block decides what the user reads and where the product goes. These tests pin
// the rules that fill it (language, product code, the Windows choice, including the odd results for
// codes and languages never shipped) and that an installation gives what it names.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/Lister.h"
#include "config/Vars.h"
#include "tests/install/InstallScene.h"
#include "tests/support/Cp1252.h"
#include "toolkit/FileSystem.h"
#include "toolkit/headless/FakeProgramManager.h"

namespace {

using testing_support::Cp1252;
using Block = config::ConfigurationBlock;
using config::Vars;

Block Filled(int language, int productCode, bool windowsChoice = true) {
  Vars = Block{};
  Vars.Language = language;
  Vars.ProductCode = std::uint8_t(productCode);
  Vars.ShowWindowsChoice = windowsChoice;
  config::FillConfiguration();
  return Vars;
}

TEST(Configuration, ProductCodeOneOffersItsChoicesAndNamesItsCadInTheTexts) {
  auto v = Filled(1, 1);
  EXPECT_TRUE(v.ShowPer14 && v.ShowPer2000 && v.ShowPerNT && v.ShowPer95 && v.ShowCadName);
  EXPECT_FALSE(v.ShowPerLT || v.ShowPer4);
  EXPECT_TRUE(v.CaptionPerLT.empty() && v.CaptionPer4.empty());
  ASSERT_FALSE(v.CadName.empty());
  for (const std::string* text : {&v.MsgCadFolderMissing, &v.CadFolderLabel, &v.CadFolderHint}) {
    EXPECT_NE(text->find(v.CadName), std::string::npos) << *text;
  }
}

TEST(Configuration, CommonSetIsTheSameForEveryLanguageAndCode) {
  const auto first = Filled(1, 1);
  for (int language : {1, 2, 7}) {
    for (int code : {1, 9, 30}) {
      auto v = Filled(language, code);
      EXPECT_TRUE(v.OfferProgramGroup && v.ShowReadmeOnExit);
      for (auto text : {&Block::GroupName, &Block::GroupItemFile, &Block::GroupItemName,
                        &Block::ReadmeFileName}) {
        EXPECT_EQ(v.*text, first.*text);
      }
    }
  }
}

TEST(Configuration, EnglishHasItsOwnCaptionsAndNoItalianTexts) {
  const auto italian = Filled(1, 1);
  auto v = Filled(2, 1);
  for (auto text : {&Block::CaptionPerNT, &Block::CaptionPer95, &Block::MsgRebootNotice,
                    &Block::CaptionPer14, &Block::CaptionPer2000, &Block::BackgroundTitle}) {
    EXPECT_TRUE(!(v.*text).empty() && v.*text != italian.*text) << v.*text;
  }
  for (const std::string* text :
       {&v.MsgCadFolderMissing, &v.MsgSuccess, &v.CadFolderLabel, &v.DestFolderLabel,
        &v.CadFolderHint, &v.DestFolderHint, &v.MsgAskGroup, &v.InstallHeading, &v.MsgGroupFailed,
        &v.MsgItemFailed, &v.MsgCopying, &v.MsgCopyDone, &v.InstallButtonCaption,
        &v.ExitButtonCaption, &v.MsgInsertDisk, &v.MsgConfirmAbandon}) {
    EXPECT_TRUE(text->empty()) << *text;
  }
}

TEST(Configuration, AnotherLanguageLeavesEveryLanguageTextEmpty) {
  auto v = Filled(3, 1);
  EXPECT_TRUE(v.CaptionPerNT.empty() && v.CaptionPer95.empty() && v.MsgRebootNotice.empty());
  EXPECT_TRUE(v.CaptionPer14.empty() && v.CaptionPer2000.empty() && v.BackgroundTitle.empty());
  EXPECT_TRUE(v.MsgSuccess.empty() && v.ExitButtonCaption.empty());
  // The product set itself does not depend on the language.
  EXPECT_EQ(v.ProductTitle, Filled(1, 1).ProductTitle);
  EXPECT_TRUE(v.ShowPerNT && v.ShowPer95);
}

TEST(Configuration, ProductCodeNineGivesTheSameBlockAsOne) {
  auto one = Filled(1, 1);
  auto nine = Filled(1, 9);
  nine.ProductCode = 1;
  EXPECT_EQ(one, nine);
}

TEST(Configuration, OtherProductCodesKeepTheProductSetEmpty) {
  auto v = Filled(1, 5);
  EXPECT_TRUE(v.CadName.empty() && v.ProductMark.empty() && v.ProductTitle.empty());
  EXPECT_EQ(
      v.MsgCadFolderMissing,
      Cp1252("La cartella di  non \xE8 stata trovata. Impossibile procedere con l'installazione"));
  EXPECT_EQ(v.CadFolderLabel, "Selezionare la cartella di ");
  EXPECT_EQ(v.BackgroundColor, 0u);
  EXPECT_EQ(v.FooterColor, 0u);
  EXPECT_FALSE(v.ShowPer14 || v.ShowPer2000 || v.ShowCadName);
  EXPECT_TRUE(v.ShowPerNT && v.ShowPer95);
}

TEST(Configuration, WindowsChoiceOffHidesBothFamilyButtonsForEveryCode) {
  for (int code : {1, 5, 11}) {
    auto v = Filled(1, code, false);
    EXPECT_FALSE(v.ShowPerNT) << code;
    EXPECT_FALSE(v.ShowPer95) << code;
  }
}

TEST(Configuration, FillingAgainGivesTheSameBlock) {
  auto first = Filled(1, 1);
  config::FillConfiguration();
  EXPECT_EQ(first, Vars);
}

// What the block names is what an installation gives: AutoCAD's start command and the group's item
// run the program installed in the destination shown, and leaving shows the installed readme.
class ConfiguredInstallationTest : public testing_support::InstallScene {};

TEST_F(ConfiguredInstallationTest, GivesWhatTheBlockNames) {
  using namespace toolkit;
  using namespace testing_support;
  WritePackage(Disk(), "c:\\setup\\tk.pck", {{"tolvek.exe", "MZ Tolvek"}});
  headless::ProgramManager().running = true;
  headless::ExpectBox(BoxKind::kInformation, kAskGroup, mrYes);
  headless::ExpectBox(BoxKind::kInformation, kSuccess);
  headless::ExpectBox(BoxKind::kPlain, kReboot);
  std::string readme;
  Show([&] {
    Dlg().Installa.Click();
    headless::QueueUserAction([&] {
      readme = app::Lister->RichEdit1.Content();
      app::Lister->Close();
    });
    Dlg().Uscita.Click();
  });
  const std::string program = Dlg().DestDir.Text() + "\\" + Vars.GroupItemFile;
  EXPECT_TRUE(Disk().FileExists(program)) << program;
  std::string started = fs::FoldCase("START " + program + ",");
  std::replace(started.begin(), started.end(), '\\', '/');
  const std::string pgp = fs::FoldCase(*Disk().FileContent(kSupport + "acad.pgp"));
  EXPECT_NE(pgp.find(started), std::string::npos) << pgp;
  EXPECT_TRUE(std::ranges::any_of(
      headless::ProgramManager().commands,
      [&](const std::string& sent) { return sent.starts_with("[AddItem(" + program + ","); }));
  EXPECT_EQ(readme, "{\\rtf1 Tolvek demo}");
}

}  // namespace
