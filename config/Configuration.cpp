// The built-in values of the configuration block, as tables beside the order in which the fill
// writes them. Texts are code page 1252.
#include "config/Vars.h"

namespace config {

ConfigurationBlock Vars;

namespace {

using Text = std::string ConfigurationBlock::*;

// An entry with its Italian (Language 1) and English (Language 2) value.
struct LanguageText {
  Text entry;
  const char* italian;
  const char* english;
};

constexpr LanguageText kWindowsFamilyTexts[] = {
    {&ConfigurationBlock::CaptionPer95, "Per Windows 98/ME", "For Windows 98/ME"},
    {&ConfigurationBlock::CaptionPerNT, "Per Windows NT/2000/XP", "For Windows NT/2000/XP"},
    {&ConfigurationBlock::MsgRebootNotice,
     "Per rendere operativa l'installazione \xE8 necessario riavviare il computer.",
     "For complete the installation, reboot the computer, please."},
};

constexpr LanguageText kProductLanguageTexts[] = {
    {&ConfigurationBlock::CaptionPer14, "Versioni precedenti la 2004", "Version prior 2004"},
    {&ConfigurationBlock::CaptionPer2000, "Versione 2004/2005/2006", "Version 2004/2005/2006"},
    {&ConfigurationBlock::BackgroundTitle, "Tolvek per AutoCAD", "Tolvek\xAE for AutoCAD"},
};

struct FixedText {
  Text entry;
  const char* value;
};

constexpr FixedText kProductTexts[] = {
    {&ConfigurationBlock::ProductTitle, "Tolvek v4"},
    {&ConfigurationBlock::ProductMark, "\xAE"},
    {&ConfigurationBlock::ProductName, "Tolvek"},
    {&ConfigurationBlock::CadName, "AutoCAD"},
    {&ConfigurationBlock::DefaultCadFolder, "c:\\Programmi\\Autocad 2006"},
    {&ConfigurationBlock::DestFolder, "c:\\Tolvek4"},
    {&ConfigurationBlock::CadVersions, "12/13/14/2000/2002/2004/2005/2006"},
};

constexpr FixedText kCommonTexts[] = {
    {&ConfigurationBlock::GroupName, "Tolvek"},
    {&ConfigurationBlock::GroupItemFile, "TOLVEK.EXE"},
    {&ConfigurationBlock::GroupItemName, "TOLVEK.EXE"},
    {&ConfigurationBlock::ReadmeFileName, "readme.rtf"},
};

// The Italian set: a text is a prefix, then the CAD name when `suffix` is set, then the suffix.
struct ItalianText {
  Text entry;
  const char* prefix;
  const char* suffix = nullptr;
};

constexpr ItalianText kItalianTexts[] = {
    {&ConfigurationBlock::MsgCadFolderMissing, "La cartella di ",
     " non \xE8 stata trovata. Impossibile procedere con l'installazione"},
    {&ConfigurationBlock::MsgSuccess, "L'installazione \xE8 stata effettuata con successo."},
    {&ConfigurationBlock::CadFolderLabel, "Selezionare la cartella di ", ""},
    {&ConfigurationBlock::DestFolderLabel,
     "Tolvek verr\xE0 installato nella cartella (non modificabile)"},
    {&ConfigurationBlock::CadFolderHint, "Inserire la cartella dove trovare ", ""},
    {&ConfigurationBlock::DestFolderHint,
     "\"install\" creer\xE0 automaticamente la cartella Tolvek"},
    {&ConfigurationBlock::MsgAskGroup, "Creo l'icona Tolvek con il gruppo corrispondente ?"},
    {&ConfigurationBlock::InstallHeading, "Installazione di"},
    {&ConfigurationBlock::MsgGroupFailed, "Impossibile creare il gruppo."},
    {&ConfigurationBlock::MsgItemFailed, "Impossibile creare l'icona."},
    {&ConfigurationBlock::MsgCopying, "in copia..."},
    {&ConfigurationBlock::MsgCopyDone, "Copia terminata"},
    {&ConfigurationBlock::InstallButtonCaption, "Esegui l'installazione"},
    {&ConfigurationBlock::ExitButtonCaption, "Uscita"},
    {&ConfigurationBlock::MsgInsertDisk, "Inserire il disco Nr. "},
    {&ConfigurationBlock::MsgConfirmAbandon, "Sicuri di volere abbandonare l'installazione ?"},
};

template <std::size_t N>
void AssignLanguage(const LanguageText (&table)[N], std::int32_t language) {
  for (const auto& row : table) {
    if (language == 1) Vars.*row.entry = row.italian;
    if (language == 2) Vars.*row.entry = row.english;
  }
}

}  // namespace

void FillConfiguration() {
  ConfigurationBlock& v = Vars;
  v.ShowPerLT = v.ShowPer14 = v.ShowPer2000 = v.ShowPer4 = v.ShowPerNT = v.ShowPer95 = false;
  if (v.ShowWindowsChoice) v.ShowPerNT = v.ShowPer95 = true;
  AssignLanguage(kWindowsFamilyTexts, v.Language);

  if (v.ProductCode == 1 || v.ProductCode == 9) {
    v.ShowPerLT = false;
    v.ShowPer14 = true;
    v.ShowPer2000 = true;
    for (const auto& row : kProductTexts) v.*row.entry = row.value;
    v.BackgroundColor = toolkit::clNavy;
    v.ShowCadName = true;
    v.FooterColor = toolkit::clWhite;
    AssignLanguage(kProductLanguageTexts, v.Language);
  }

  v.OfferProgramGroup = true;
  v.ShowReadmeOnExit = true;
  for (const auto& row : kCommonTexts) v.*row.entry = row.value;

  if (v.Language != 1) return;
  // CadName is in place by now: three of these texts are built around it.
  for (const auto& row : kItalianTexts) {
    std::string text = row.prefix;
    if (row.suffix != nullptr) text += v.CadName + row.suffix;
    v.*row.entry = text;
  }
}

}  // namespace config
