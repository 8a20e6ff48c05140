// The configuration block decides every text the user reads. These tests pin the texts byte for
// byte (code page 1252) and the rules that pick them: language, product code and the Windows
// choice, including the odd results for codes and languages the product never ships with.
#include <gtest/gtest.h>

#include "config/Vars.h"
#include "tests/support/Cp1252.h"

namespace {

using testing_support::Cp1252;

using config::Vars;

config::ConfigurationBlock Filled(int language, int productCode, bool windowsChoice = true) {
  Vars = config::ConfigurationBlock{};
  Vars.Language = language;
  Vars.ProductCode = std::uint8_t(productCode);
  Vars.ShowWindowsChoice = windowsChoice;
  config::FillConfiguration();
  return Vars;
}

TEST(Configuration, ItalianProductTextsAreExactBytes) {
  auto v = Filled(1, 1);
  EXPECT_EQ(v.ProductTitle, "Tolvek v4");
  EXPECT_EQ(v.ProductMark, Cp1252("\xAE"));
  EXPECT_EQ(v.CadName, "AutoCAD");
  EXPECT_EQ(v.DefaultCadFolder, "c:\\Programmi\\Autocad 2006");
  EXPECT_EQ(v.DestFolder, "c:\\Tolvek4");
  EXPECT_EQ(v.CadVersions, "12/13/14/2000/2002/2004/2005/2006");
  EXPECT_EQ(v.BackgroundColor, 0x00800000u);
  EXPECT_EQ(v.FooterColor, 0x00FFFFFFu);
  EXPECT_EQ(v.CaptionPer14, "Versioni precedenti la 2004");
  EXPECT_EQ(v.CaptionPer2000, "Versione 2004/2005/2006");
  EXPECT_EQ(v.BackgroundTitle, "Tolvek per AutoCAD");
  EXPECT_EQ(v.CaptionPerNT, "Per Windows NT/2000/XP");
  EXPECT_EQ(v.CaptionPer95, "Per Windows 98/ME");
  EXPECT_EQ(v.MsgRebootNotice,
            Cp1252("Per rendere operativa l'installazione \xE8 necessario riavviare il computer."));
  EXPECT_TRUE(v.ShowPer14 && v.ShowPer2000 && v.ShowPerNT && v.ShowPer95 && v.ShowCadName);
  EXPECT_FALSE(v.ShowPerLT || v.ShowPer4);
  EXPECT_TRUE(v.CaptionPerLT.empty() && v.CaptionPer4.empty());
}

TEST(Configuration, ItalianMessagesAreBuiltAroundTheCadName) {
  auto v = Filled(1, 1);
  EXPECT_EQ(v.MsgCadFolderMissing,
            Cp1252("La cartella di AutoCAD non \xE8 stata trovata. Impossibile procedere con "
                   "l'installazione"));
  EXPECT_EQ(v.CadFolderLabel, "Selezionare la cartella di AutoCAD");
  EXPECT_EQ(v.CadFolderHint, "Inserire la cartella dove trovare AutoCAD");
  EXPECT_EQ(v.DestFolderLabel,
            Cp1252("Tolvek verr\xE0 installato nella cartella (non modificabile)"));
  EXPECT_EQ(v.DestFolderHint, Cp1252("\"install\" creer\xE0 automaticamente la cartella Tolvek"));
  EXPECT_EQ(v.MsgSuccess, Cp1252("L'installazione \xE8 stata effettuata con successo."));
  EXPECT_EQ(v.MsgInsertDisk, "Inserire il disco Nr. ");
  EXPECT_EQ(v.MsgConfirmAbandon, "Sicuri di volere abbandonare l'installazione ?");
  EXPECT_EQ(v.InstallButtonCaption, "Esegui l'installazione");
  EXPECT_EQ(v.ExitButtonCaption, "Uscita");
  EXPECT_EQ(v.MsgCopying, "in copia...");
  EXPECT_EQ(v.MsgCopyDone, "Copia terminata");
  EXPECT_EQ(v.MsgAskGroup, "Creo l'icona Tolvek con il gruppo corrispondente ?");
  EXPECT_EQ(v.MsgGroupFailed, "Impossibile creare il gruppo.");
  EXPECT_EQ(v.MsgItemFailed, "Impossibile creare l'icona.");
  EXPECT_EQ(v.InstallHeading, "Installazione di");
}

TEST(Configuration, CommonSetIsTheSameForEveryLanguageAndCode) {
  for (int language : {1, 2, 7}) {
    for (int code : {1, 9, 30}) {
      auto v = Filled(language, code);
      EXPECT_TRUE(v.OfferProgramGroup);
      EXPECT_EQ(v.GroupName, "Tolvek");
      EXPECT_EQ(v.GroupItemFile, "TOLVEK.EXE");
      EXPECT_EQ(v.GroupItemName, "TOLVEK.EXE");
      EXPECT_TRUE(v.ShowReadmeOnExit);
      EXPECT_EQ(v.ReadmeFileName, "readme.rtf");
    }
  }
}

TEST(Configuration, EnglishHasItsCaptionsAndNoItalianTexts) {
  auto v = Filled(2, 1);
  EXPECT_EQ(v.CaptionPerNT, "For Windows NT/2000/XP");
  EXPECT_EQ(v.CaptionPer95, "For Windows 98/ME");
  EXPECT_EQ(v.MsgRebootNotice, "For complete the installation, reboot the computer, please.");
  EXPECT_EQ(v.CaptionPer14, "Version prior 2004");
  EXPECT_EQ(v.CaptionPer2000, "Version 2004/2005/2006");
  EXPECT_EQ(v.BackgroundTitle, Cp1252("Tolvek\xAE for AutoCAD"));
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
  EXPECT_EQ(v.ProductTitle, "Tolvek v4");
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

}  // namespace
