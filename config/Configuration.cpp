// The built-in values of the configuration block, as tables beside the order in which the fill
// writes them. Texts are written here in code page 1252 and become UTF-8, the program's one
// encoding, as the fill assigns them.
#include <array>
#include <span>
#include <type_traits>
#include <vector>

#include "config/Vars.h"
#include "toolkit/Lz4.h"
#include "toolkit/Utf8.h"

#include "version/ProductVersion.h"

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

constexpr LanguageText kInstallationTexts[] = {
    {&ConfigurationBlock::MsgLibraryMissing,
     "Il file INSTALL.DLL accanto al programma di installazione manca o \xE8 danneggiato.\r\n"
     "Copiare di nuovo il supporto di installazione e ripetere l'installazione.",
     "INSTALL.DLL beside the installer is missing or damaged.\r\n"
     "Copy the installation medium again, then install again."},
    {&ConfigurationBlock::MsgNoAcadProfile,
     "Per questo utente non c'\xE8 un profilo di AutoCAD nel registro.\r\n"
     "Avviare AutoCAD una volta con questo utente, poi ripetere l'installazione.",
     "There is no AutoCAD profile for this user in the registry.\r\n"
     "Start AutoCAD once as this user, then install again."},
    {&ConfigurationBlock::MsgSupportFolderMissing,
     "La cartella di supporto del profilo di AutoCAD non esiste:\r\n%1\r\n"
     "Avviare AutoCAD una volta con questo utente, poi ripetere l'installazione.",
     "The support folder of the AutoCAD profile does not exist:\r\n%1\r\n"
     "Start AutoCAD once as this user, then install again."},
    {&ConfigurationBlock::MsgPackageUnreadable,
     "Il pacchetto %1 non pu\xF2 essere letto o \xE8 danneggiato.\r\n"
     "Copiare di nuovo il supporto di installazione e ripetere l'installazione.",
     "The package %1 cannot be read or is damaged.\r\n"
     "Copy the installation medium again, then install again."},
    {&ConfigurationBlock::MsgNoRoom,
     "Il disco di %1 \xE8 pieno: l'installazione richiede %2 MB, ne sono liberi %3.\r\n"
     "Liberare spazio sul disco, poi ripetere l'installazione.",
     "The disk of %1 is full: the installation needs %2 MB, %3 MB are free.\r\n"
     "Free some space on the disk, then install again."},
    {&ConfigurationBlock::MsgDestinationIsFile,
     "%1 esiste gi\xE0 come file, non come cartella.\r\n"
     "Rinominarlo o spostarlo, poi ripetere l'installazione.",
     "%1 exists as a file, not as a folder.\r\nRename or move it, then install again."},
    {&ConfigurationBlock::MsgFileNotInPackage,
     "Il pacchetto %1 non contiene il file %2: il supporto di installazione \xE8 incompleto.",
     "The package %1 does not hold the file %2: the installation medium is incomplete."},
    {&ConfigurationBlock::MsgPackageIncomplete,
     "Il pacchetto %1 non \xE8 stato estratto del tutto: %2 file non sono stati scritti.",
     "The package %1 was not extracted in full: %2 files were not written."},
    {&ConfigurationBlock::MsgPackageDamaged,
     "Il pacchetto %1 \xE8 danneggiato: il file %2 non supera il controllo (CRC).\r\n"
     "Copiare di nuovo il supporto di installazione e ripetere l'installazione.",
     "The package %1 is damaged: the file %2 fails its check (CRC).\r\n"
     "Copy the installation medium again, then install again."},
    {&ConfigurationBlock::MsgFileNameRefused,
     "Il pacchetto %1 contiene un nome di file che non pu\xF2 essere usato: %2",
     "The package %1 contains a file name that cannot be used: %2"},
    {&ConfigurationBlock::MsgPathTooLong,
     "Percorso troppo lungo per la libreria di decompressione: %1",
     "Path too long for the unzip library: %1"},
    {&ConfigurationBlock::MsgNothingChanged,
     "L'installazione non \xE8 stata completata e nulla \xE8 stato modificato.",
     "The installation did not complete, and nothing was changed."},
    {&ConfigurationBlock::MsgNotUndone,
     "L'installazione non \xE8 stata completata. Non \xE8 stato possibile annullare:",
     "The installation did not complete. These changes could not be undone:"},
    {&ConfigurationBlock::MsgCloseAutoCad,
     "AutoCAD \xE8 in esecuzione: alla chiusura riscriverebbe le proprie impostazioni sopra le "
     "modifiche.\r\n"
     "Chiudere AutoCAD, poi scegliere Riprova; Annulla esce senza modificare nulla.",
     "AutoCAD is running: when it exits it would write its settings back over the changes.\r\n"
     "Close AutoCAD, then choose Retry; Cancel leaves without changing anything."},
    {&ConfigurationBlock::MsgAutoCadRunning,
     "AutoCAD \xE8 in esecuzione: nulla \xE8 stato modificato.",
     "AutoCAD is running: nothing was changed."},
};

// The unattended installation's texts: the usage shown for /? or a bad command line, and the
// words of the log, each line of which is one of these followed by what it is about.
constexpr LanguageText kUnattendedTexts[] = {
    {&ConfigurationBlock::UsageText,
     "Uso: INSTALL.EXE [/S] [/ALLUSERS] [/ACAD=cartella] [/R14] [/WIN9X] [/NOGROUP] [/LOG=file]\r\n"
     "                 [/?]\r\n"
     "     UNINSTAL.EXE /UNINSTALL [/S] [/LOG=file]\r\n"
     "     UNINSTAL.EXE /REPAIR [/S] [/LOG=file]\r\n"
     "\r\n"
     "/S - installazione silenziosa: nessuna finestra e nessuna domanda, ogni messaggio nel log\r\n"
     "/ALLUSERS - per tutti gli utenti del computer (come amministratore o SYSTEM)\r\n"
     "/ACAD=cartella - la cartella di AutoCAD (altrimenti quella proposta; con /S quella\r\n"
     "  dell'AutoCAD pi\xF9 recente registrato)\r\n"
     "/R14 - AutoCAD precedente la 2004 (altrimenti 2004 e successive)\r\n"
     "/WIN9X - Windows 98/ME (altrimenti Windows NT/2000/XP)\r\n"
     "/NOGROUP - senza il gruppo di Program Manager\r\n"
     "/LOG=file - il log in questo file (con /S altrimenti %TEMP%\\Tolvek-install.log, per "
     "/UNINSTALL %TEMP%\\Tolvek-uninstall.log)\r\n"
     "/UNINSTALL - rimuove Tolvek (UNINSTAL.EXE nella cartella di Tolvek); con /S senza domande\r\n"
     "/REPAIR - ripara Tolvek senza il supporto: controlla i suoi file e lo ricollega a ogni "
     "AutoCAD\r\n"
     "  che ne manca (log %TEMP%\\Tolvek-repair.log)\r\n"
     "/? o /HELP - questo elenco\r\n"
     "\r\n"
     "Senza /S le opzioni preimpostano le scelte della finestra.\r\n"
     "Codici di uscita: 0 riuscita, 3010 riuscita con riavvio, 1602 abbandonata, 1603 errore, "
     "1618 riprovare pi\xF9 tardi (un'altra installazione in corso, o con /S AutoCAD aperto), "
     "1639 riga di comando non valida; /REPAIR: 1612 file di Tolvek da riparare con il supporto",
     "Usage: INSTALL.EXE [/S] [/ALLUSERS] [/ACAD=folder] [/R14] [/WIN9X] [/NOGROUP] [/LOG=file]\r\n"
     "                   [/?]\r\n"
     "       UNINSTAL.EXE /UNINSTALL [/S] [/LOG=file]\r\n"
     "       UNINSTAL.EXE /REPAIR [/S] [/LOG=file]\r\n"
     "\r\n"
     "/S - silent installation: no window and no question, every message into the log\r\n"
     "/ALLUSERS - for every user of the computer (as an administrator or SYSTEM)\r\n"
     "/ACAD=folder - the AutoCAD folder (otherwise the one proposed; with /S that of the most\r\n"
     "  recent AutoCAD registered)\r\n"
     "/R14 - AutoCAD before 2004 (otherwise 2004 and later)\r\n"
     "/WIN9X - Windows 98/ME (otherwise Windows NT/2000/XP)\r\n"
     "/NOGROUP - no Program Manager group\r\n"
     "/LOG=file - the log into this file (with /S otherwise %TEMP%\\Tolvek-install.log, for "
     "/UNINSTALL %TEMP%\\Tolvek-uninstall.log)\r\n"
     "/UNINSTALL - removes Tolvek (UNINSTAL.EXE in the Tolvek folder); with /S without "
     "questions\r\n"
     "/REPAIR - repairs Tolvek without the medium: checks its files and wires it again into "
     "every\r\n"
     "  AutoCAD that lacks it (log %TEMP%\\Tolvek-repair.log)\r\n"
     "/? or /HELP - this list\r\n"
     "\r\n"
     "Without /S the options preset the choices of the window.\r\n"
     "Exit codes: 0 success, 3010 success with restart, 1602 abandoned, 1603 error, "
     "1618 try again later (another installation running, or with /S AutoCAD open), "
     "1639 invalid command line; /REPAIR: 1612 files of Tolvek to repair with the medium"},
    {&ConfigurationBlock::MsgBadCommandLine,
     "Riga di comando non valida:", "Invalid command line:"},
    {&ConfigurationBlock::MsgAnotherInstallation,
     "Un'altra installazione di Tolvek \xE8 in corso su questo computer.",
     "Another installation of Tolvek is running on this computer."},
    {&ConfigurationBlock::LogStarted, "Installazione avviata da", "Installation started from"},
    {&ConfigurationBlock::LogOptions, "Opzioni:", "Options:"},
    {&ConfigurationBlock::LogNoOptions, "(nessuna)", "(none)"},
    {&ConfigurationBlock::LogCadFolder, "Cartella di AutoCAD:", "AutoCAD folder:"},
    {&ConfigurationBlock::LogCadFolderOnly,
     "Cartella di AutoCAD dal registro: %1 (AutoCAD %2, l'unica installata)",
     "AutoCAD folder from the registry: %1 (AutoCAD %2, the only one installed)"},
    {&ConfigurationBlock::LogCadFolderNewest,
     "Cartella di AutoCAD dal registro: %1 (AutoCAD %2, la pi\xF9 recente delle %3 installate)",
     "AutoCAD folder from the registry: %1 (AutoCAD %2, the most recent of the %3 installed)"},
    {&ConfigurationBlock::LogCadFolderGone,
     "AutoCAD %1 \xE8 registrata in %2, una cartella che non esiste: non considerata",
     "AutoCAD %1 is registered at %2, a folder that does not exist: passed over"},
    {&ConfigurationBlock::LogCadFolderConfigured,
     "Nessuna AutoCAD registrata in una cartella esistente: la cartella predefinita",
     "No AutoCAD registered in a folder that exists: the default folder"},
    {&ConfigurationBlock::LogCadRelease, "Versione di AutoCAD:", "AutoCAD release:"},
    {&ConfigurationBlock::LogWindowsFamily, "Windows:", "Windows:"},
    {&ConfigurationBlock::LogGroupChoice, "Gruppo di Program Manager:", "Program Manager group:"},
    {&ConfigurationBlock::LogGroupAsked, "da chiedere", "to be asked"},
    {&ConfigurationBlock::LogYes, "s\xEC", "yes"},
    {&ConfigurationBlock::LogNo, "no", "no"},
    {&ConfigurationBlock::LogSupportFolder,
     "Cartella di supporto di AutoCAD:", "AutoCAD support folder:"},
    {&ConfigurationBlock::LogRegistrySupportFolder,
     "Cartella di supporto di AutoCAD dal registro:", "AutoCAD support folder from the registry:"},
    {&ConfigurationBlock::LogLispPatched,
     "File di avvio AutoLISP modificati o gi\xE0 completi (copia di riserva .bak accanto a "
     "ciascuno) in",
     "AutoLISP start-up files patched or already complete (a .bak backup beside each) in"},
    {&ConfigurationBlock::LogLispNotPatched, "Nessun file di avvio AutoLISP modificabile in",
     "No AutoLISP start-up file could be patched in"},
    {&ConfigurationBlock::LogFilePatched, "Modificato:", "Patched:"},
    {&ConfigurationBlock::LogAlreadyPatched,
     "Gi\xE0 completo, lasciato com'\xE8:", "Already patched, left alone:"},
    {&ConfigurationBlock::LogBackup, "copia di riserva", "backup"},
    {&ConfigurationBlock::LogFileNotOpened, "Non trovato o non apribile, lasciato com'\xE8:",
     "Not found or cannot be opened, left alone:"},
    {&ConfigurationBlock::LogExtracted, "Estratto:", "Extracted:"},
    {&ConfigurationBlock::LogFiles, "file", "files"},
    {&ConfigurationBlock::LogPackageMissing, "Pacchetto mancante:", "Package missing:"},
    {&ConfigurationBlock::LogGroupCommandSent,
     "Program Manager, comando inviato:", "Program Manager, command sent:"},
    {&ConfigurationBlock::LogGroupCommandFailed,
     "Program Manager, comando non inviato:", "Program Manager, command not sent:"},
    {&ConfigurationBlock::LogMessage, "Messaggio:", "Message:"},
    {&ConfigurationBlock::LogQuestion, "Domanda:", "Question:"},
    {&ConfigurationBlock::LogError, "Errore:", "Error:"},
    {&ConfigurationBlock::LogExitCode, "Codice di uscita:", "Exit code:"},
};

// The uninstaller's question, its closing report and the words of its log.
constexpr LanguageText kUninstallTexts[] = {
    {&ConfigurationBlock::MsgConfirmUninstall,
     "Rimuovere Tolvek dal computer, con le modifiche fatte ai file di AutoCAD?",
     "Remove Tolvek from this computer, with the changes made to AutoCAD's files?"},
    {&ConfigurationBlock::MsgUninstalled, "Tolvek \xE8 stato rimosso dal computer.",
     "Tolvek has been removed from this computer."},
    {&ConfigurationBlock::MsgUninstallIncomplete,
     "La rimozione non \xE8 stata completata: eseguirla di nuovo per finirla.",
     "The removal did not complete: run it again to finish it."},
    {&ConfigurationBlock::MsgLeftInPlace, "Sono rimasti:", "Left in place:"},
    {&ConfigurationBlock::MsgNoRecord, "Nessuna installazione di Tolvek registrata in %1.",
     "No installation of Tolvek is recorded in %1."},
    {&ConfigurationBlock::LogUninstallStartedFrom, "Disinstallazione avviata da",
     "Uninstallation started from"},
    {&ConfigurationBlock::LogUninstallStarted, "Disinstallazione di", "Uninstallation of"},
    {&ConfigurationBlock::LogRemoved, "Rimosso:", "Removed:"},
    {&ConfigurationBlock::LogLinesRemoved,
     "Righe di Tolvek tolte da:", "Tolvek's lines taken out of:"},
    {&ConfigurationBlock::LogLeft, "Lasciato:", "Left:"},
    {&ConfigurationBlock::ReasonChanged, "modificato dopo l'installazione",
     "changed since the installation"},
    {&ConfigurationBlock::ReasonNotEmpty, "contiene file non installati da Tolvek",
     "holds files Tolvek did not install"},
    {&ConfigurationBlock::ReasonLinesGone, "non contiene pi\xF9 le righe di Tolvek",
     "no longer holds Tolvek's lines"},
    {&ConfigurationBlock::ReasonMissing, "non esiste pi\xF9", "no longer exists"},
    {&ConfigurationBlock::ReasonNotOpened, "non apribile o non modificabile",
     "cannot be opened or changed"},
};

// The way back's texts: the journal the installer cannot trust, and what it does not act on.
constexpr LanguageText kWayBackTexts[] = {
    {&ConfigurationBlock::MsgJournalBlocksInstall,
     "Il registro di un'installazione precedente, %1, %2. Nulla \xE8 stato modificato.\r\n"
     "Rimuovere prima Tolvek da Installazione applicazioni, oppure spostare il file altrove, "
     "poi ripetere l'installazione.",
     "The record of an earlier installation, %1, %2. Nothing was changed.\r\n"
     "Remove Tolvek first in Add or Remove Programs, or move the file elsewhere, then install "
     "again."},
    {&ConfigurationBlock::MsgJournalBlocksRemoval,
     "Il registro dell'installazione, %1, %2. Nulla \xE8 stato rimosso.\r\n"
     "Ripristinare il file da una copia di sicurezza e ripetere la rimozione, oppure togliere "
     "Tolvek a mano: la cartella di Tolvek e le righe di Tolvek nei file di AutoCAD.",
     "The installation's record, %1, %2. Nothing was removed.\r\n"
     "Restore the file from a backup and remove Tolvek again, or take Tolvek away by hand: "
     "Tolvek's folder and Tolvek's lines in AutoCAD's files."},
    {&ConfigurationBlock::ReasonJournalUnreadable, "non pu\xF2 essere letto", "cannot be read"},
    {&ConfigurationBlock::ReasonJournalNewer, "\xE8 di una versione pi\xF9 recente di Tolvek",
     "was written by a later version of Tolvek"},
    {&ConfigurationBlock::ReasonJournalTooLarge,
     "\xE8 troppo grande per essere un registro di Tolvek", "is too large to be Tolvek's record"},
    {&ConfigurationBlock::ReasonJournalDamaged, "\xE8 danneggiato", "is damaged"},
    {&ConfigurationBlock::MsgJournalUnreadable,
     "Il registro dell'installazione %1 non pu\xF2 essere usato.",
     "The installation's record %1 cannot be used."},
    {&ConfigurationBlock::MsgRecordsRefused,
     "Il registro dell'installazione nomina cose che non sono di Tolvek: non sono state "
     "toccate. Il file pu\xF2 essere stato modificato da altri.",
     "The installation's record names things that are not Tolvek's: they were not touched. "
     "Someone else may have changed the file."},
    {&ConfigurationBlock::MsgRecordIncomplete,
     "Il registro dell'installazione, %1, \xE8 incompleto: \xE8 stato rimosso ci\xF2 che vi \xE8 "
     "registrato, il resto va tolto a mano.",
     "The installation's record, %1, is incomplete: what it records was removed, the rest must "
     "be taken away by hand."},
    {&ConfigurationBlock::ReasonOutsideProduct, "non \xE8 di Tolvek", "not Tolvek's"},
    {&ConfigurationBlock::ReasonNotOnRecord,
     "non rimosso: il registro dell'installazione \xE8 incompleto",
     "not removed: the installation's record is incomplete"},
    {&ConfigurationBlock::LogRestored, "Ripristinato com'era prima dell'installazione:",
     "Given back as it was before the installation:"},
    {&ConfigurationBlock::LogNothingToAdd,
     "Nessun punto per le righe di Tolvek, lasciato com'\xE8:",
     "No place for Tolvek's lines, left as it was:"},
    {&ConfigurationBlock::LogRefused, "Voce del registro non eseguita:", "Record not acted on:"},
    {&ConfigurationBlock::LogFolderNotProtected,
     "Impossibile limitare chi pu\xF2 modificare la cartella:",
     "Could not restrict who may change the folder:"},
    {&ConfigurationBlock::ReasonLink, "\xE8, o attraversa, un collegamento: non seguito",
     "is, or goes through, a link: not followed"},
    {&ConfigurationBlock::MsgUninstallLeftSome,
     "La rimozione \xE8 terminata, ma non tutto \xE8 stato tolto: ci\xF2 che resta \xE8 "
     "elencato qui sotto.",
     "The removal has ended, but not everything was taken away: what stays is listed below."},
    {&ConfigurationBlock::MsgRecordMissing,
     "Il registro dell'installazione non \xE8 in %1, ma Tolvek \xE8 ancora installato in %2. "
     "Nulla \xE8 stato rimosso.\r\n"
     "Installare di nuovo Tolvek dal suo supporto, poi rimuoverlo.",
     "The installation's record is not in %1, yet Tolvek is still installed in %2. Nothing was "
     "removed.\r\n"
     "Install Tolvek again from its medium, then remove it."},
    {&ConfigurationBlock::LogRecordMoved,
     "Registro di un'installazione precedente, %1, spostato in",
     "An earlier installation's record, %1, moved to"},
    {&ConfigurationBlock::MsgSharedProductChanged,
     "Tolvek \xE8 gi\xE0 installato in %1 da un altro utente, ma %2 manca o \xE8 stato "
     "modificato. Nulla \xE8 stato modificato.\r\nChiedere a chi lo ha installato, o a un "
     "amministratore, di installarlo di nuovo.",
     "Tolvek is already installed in %1 by another user, but %2 is missing or has been changed. "
     "Nothing was changed.\r\nAsk whoever installed it, or an administrator, to install it "
     "again."},
    {&ConfigurationBlock::MsgSharedProduct,
     "Tolvek \xE8 gi\xE0 installato in %1 da un altro utente: i suoi file sono integri e "
     "l'AutoCAD di questo utente lo usa.",
     "Tolvek is already installed in %1 by another user: its files check out, and this user's "
     "AutoCAD uses it."},
    {&ConfigurationBlock::LogOwnBackupKept,
     "%1 esiste gi\xE0 e resta com'\xE8; la copia di sicurezza \xE8",
     "%1 exists already and stays as it is; the backup is"},
};

// How the product loads in each AutoCAD of the machine.
constexpr LanguageText kEveryAutoCadTexts[] = {
    {&ConfigurationBlock::LogWayAcadDoc, "caricamento aggiunto a", "load added to"},
    {&ConfigurationBlock::LogWayBundle, "pacchetto", "bundle"},
    {&ConfigurationBlock::LogWayTrusted,
     "profili che lo considerano attendibile:", "profiles trusting it:"},
    {&ConfigurationBlock::LogWayNotStarted,
     "mai avviato da questo utente (nessun profilo), tralasciato",
     "never started by this user (no profile), passed over"},
    {&ConfigurationBlock::LogWayOlder,
     "versione precedente la 2006: Tolvek si carica dai file di avvio della sua cartella",
     "release before 2006: Tolvek loads from the start-up files of its own folder"},
    {&ConfigurationBlock::LogWayLtOlder,
     "AutoCAD LT precedente la 2024: non esegue AutoLISP, tralasciato",
     "AutoCAD LT before 2024: runs no AutoLISP, passed over"},
    {&ConfigurationBlock::LogWayNotOpened, "non modificabile: serve la modifica manuale",
     "cannot be changed: a manual edit is needed"},
    {&ConfigurationBlock::LogWayAtLogon, "per ogni utente, al suo prossimo accesso",
     "for each user, at the user's next logon"},
    {&ConfigurationBlock::LogShadowed, "AutoCAD carica prima %1, al posto del file di Tolvek",
     "AutoCAD loads %1 first, instead of Tolvek's file"},
    {&ConfigurationBlock::LogProjectAware,
     "PROJECTAWARE \xE8 attivo: i percorsi attendibili sono di sola lettura e AutoCAD "
     "potrebbe rifiutare Tolvek; aggiungere %1 ai percorsi attendibili del progetto",
     "PROJECTAWARE is on: trusted paths are read-only and AutoCAD may refuse Tolvek; add %1 to "
     "the project's trusted paths"},
    {&ConfigurationBlock::MsgAcadDocShadowed,
     "%1 carica %2 e non il file acaddoc.lsp di Tolvek: per avere Tolvek in AutoCAD aggiungere "
     "a %2 la riga (load \"tolvek\" '(\"tolvek\")).",
     "%1 loads %2 instead of Tolvek's acaddoc.lsp: to have Tolvek in AutoCAD, add the line "
     "(load \"tolvek\" '(\"tolvek\")) to %2."},
    {&ConfigurationBlock::MsgNotStarted,
     "%1 non \xE8 mai stato avviato da questo utente: Tolvek non vi viene caricato. Avviarlo una "
     "volta, chiuderlo, poi ripetere l'installazione.",
     "%1 has never been started by this user: Tolvek does not load in it. Start it once, close "
     "it, then install again."},
    {&ConfigurationBlock::MsgNotStartedUntrusted,
     "%1 non \xE8 mai stato avviato da questo utente: al primo avvio trover\xE0 Tolvek, ma %2 "
     "non \xE8 ancora tra i suoi percorsi attendibili e AutoCAD chieder\xE0 se caricarlo. "
     "Avviarlo una volta, chiuderlo, poi ripetere l'installazione.",
     "%1 has never been started by this user: at its first start it finds Tolvek, but %2 is not "
     "yet among its trusted paths, and AutoCAD will ask whether to load it. Start it once, close "
     "it, then install again."},
    {&ConfigurationBlock::MsgProjectAware,
     "In %1 PROJECTAWARE \xE8 attivo: i percorsi attendibili sono di sola lettura e AutoCAD "
     "potrebbe rifiutare Tolvek. Aggiungere %2 ai percorsi attendibili del progetto.",
     "In %1 PROJECTAWARE is on: its trusted paths are read-only, and AutoCAD may refuse Tolvek. "
     "Add %2 to the project's trusted paths."},
};

// An installation for every user of the machine.
constexpr LanguageText kAllUsersTexts[] = {
    {&ConfigurationBlock::MsgNeedsAdministrator,
     "L'installazione per tutti gli utenti (/ALLUSERS) richiede i diritti di amministratore: "
     "eseguirla come amministratore o come SYSTEM. Nulla \xE8 stato modificato.",
     "The installation for every user (/ALLUSERS) needs administrator rights: run it as an "
     "administrator or as SYSTEM. Nothing was changed."},
    {&ConfigurationBlock::MsgRemovalNeedsAdministrator,
     "Tolvek \xE8 installato per tutti gli utenti: la rimozione richiede i diritti di "
     "amministratore. Nulla \xE8 stato rimosso.",
     "Tolvek is installed for every user: removing it needs administrator rights. Nothing was "
     "removed."},
    {&ConfigurationBlock::MsgDestinationLinked,
     "%1 \xE8, o contiene, un collegamento a un'altra cartella: l'installazione non passa per "
     "collegamenti. Nulla \xE8 stato modificato.\r\nRimuovere il collegamento, poi ripetere "
     "l'installazione.",
     "%1 is, or holds, a link to another folder: the installation goes through no link. Nothing "
     "was changed.\r\nRemove the link, then install again."},
    {&ConfigurationBlock::LogUserPartStarted, "Parte dell'utente avviata da",
     "The user's part started from"},
};

// The repair without the medium: the words of its log and its closing report.
constexpr LanguageText kRepairTexts[] = {
    {&ConfigurationBlock::LogRepairStartedFrom, "Riparazione avviata da", "Repair started from"},
    {&ConfigurationBlock::LogRepairOf, "Riparazione di", "Repair of"},
    {&ConfigurationBlock::LogMissingOrChanged,
     "Mancante o modificato rispetto al registro:", "Missing or changed from the record:"},
    {&ConfigurationBlock::MsgRepairNothing, "Tolvek \xE8 integro: non c'era nulla da riparare.",
     "Tolvek is whole: there was nothing to repair."},
    {&ConfigurationBlock::MsgRepaired,
     "Tolvek \xE8 stato riparato senza il supporto di installazione. Rifatto:",
     "Tolvek has been repaired without its installation medium. Made again:"},
    {&ConfigurationBlock::MsgRepairNeedsMedium,
     "Questi file di Tolvek mancano o sono stati modificati, e senza il supporto di "
     "installazione non possono essere riparati: installare di nuovo Tolvek dal suo supporto.",
     "These files of Tolvek are missing or have been changed, and cannot be repaired without "
     "the installation medium: install Tolvek again from its medium."},
    {&ConfigurationBlock::MsgRepairFailed,
     "La riparazione non \xE8 stata completata e nulla \xE8 stato modificato:",
     "The repair did not complete, and nothing was changed:"},
};

struct FixedText {
  Text entry;
  const char* value;
};

constexpr FixedText kProductTexts[] = {
    {&ConfigurationBlock::ProductTitle, "Tolvek v4"},
    {&ConfigurationBlock::ProductMark, "\xAE"},
    {&ConfigurationBlock::ProductName, "Tolvek"},
    {&ConfigurationBlock::ProductVersion, TOLVEK_PRODUCT_VERSION},
    {&ConfigurationBlock::Publisher, "KOVIA"},
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
    {&ConfigurationBlock::MsgLibraryNotFound, "INSTALL.DLL not found"},
    {&ConfigurationBlock::MsgLibraryEntryMissing, "Error: INSTALL.DLL"},
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

// The language tables' texts travel packed: every Italian and English text of the tables above,
// each ending in a zero, in the order of kLanguageTables, as one LZ4 block made while compiling
// (some 16 KB of texts in 7 KB). At run time the tables themselves are not in the program, only
// the packed texts and, for each row, its entry and where its two texts start.
constexpr std::span<const LanguageText> kLanguageTables[] = {
    kWindowsFamilyTexts, kProductLanguageTexts, kInstallationTexts,
    kUnattendedTexts,    kUninstallTexts,       kWayBackTexts,
    kEveryAutoCadTexts,  kAllUsersTexts,        kRepairTexts};

constexpr std::size_t kTextsCapacity = 24 * 1024;

consteval toolkit::Lz4Bytes<kTextsCapacity> AllTexts() {
  toolkit::Lz4Bytes<kTextsCapacity> texts;
  const auto add = [&](const char* text) {
    for (; *text != 0; ++text) texts.bytes[texts.size++] = std::uint8_t(*text);
    texts.bytes[texts.size++] = 0;
  };
  for (const auto& table : kLanguageTables) {
    for (const LanguageText& row : table) {
      add(row.italian);
      add(row.english);
    }
  }
  return texts;
}

constexpr toolkit::Lz4Bytes<kTextsCapacity> kTexts = AllTexts();
constexpr toolkit::Lz4Bytes<kTextsCapacity> kPacking = toolkit::PackLz4<kTextsCapacity>(kTexts);

consteval std::array<std::uint8_t, kPacking.size> PackedTexts() {
  std::array<std::uint8_t, kPacking.size> packed{};
  for (std::size_t at = 0; at < packed.size(); ++at) packed[at] = kPacking.bytes[at];
  return packed;
}

constexpr std::array<std::uint8_t, kPacking.size> kPackedTexts = PackedTexts();

// A row of a language table: its entry and where its texts start in the unpacked texts.
struct PackedRow {
  Text entry;
  std::uint16_t italian;
  std::uint16_t english;
};
static_assert(kTexts.size <= 65536, "a text's start must fit in 16 bits");

consteval std::size_t RowCount() {
  std::size_t count = 0;
  for (const auto& table : kLanguageTables) count += table.size();
  return count;
}

consteval std::array<PackedRow, RowCount()> PackedRows() {
  std::array<PackedRow, RowCount()> rows{};
  std::size_t row = 0;
  std::size_t at = 0;
  const auto skip = [&](const char* text) {
    const std::size_t start = at;
    while (*text++ != 0) ++at;
    ++at;
    return std::uint16_t(start);
  };
  for (const auto& table : kLanguageTables) {
    for (const LanguageText& text : table) {
      rows[row].entry = text.entry;
      rows[row].italian = skip(text.italian);
      rows[row].english = skip(text.english);
      ++row;
    }
  }
  return rows;
}

constexpr std::array<PackedRow, RowCount()> kPackedRows = PackedRows();

// Where `table`'s rows start among the packed rows.
consteval std::size_t FirstRowOf(const LanguageText* table) {
  std::size_t first = 0;
  for (const auto& each : kLanguageTables) {
    if (each.data() == table) return first;
    first += each.size();
  }
  throw "a language table missing from kLanguageTables";
}

const char* UnpackedTexts() {
  static const std::vector<std::uint8_t> texts =
      toolkit::UnpackLz4(kPackedTexts.data(), kPackedTexts.size(), kTexts.size)
          .value_or(std::vector<std::uint8_t>(kTexts.size));
  return reinterpret_cast<const char*>(texts.data());
}

template <const auto& Table>
void AssignLanguage(std::int32_t language) {
  constexpr std::size_t first = FirstRowOf(Table);
  constexpr std::size_t count = std::extent_v<std::remove_reference_t<decltype(Table)>>;
  if (language != 1 && language != 2) return;
  const char* texts = UnpackedTexts();
  for (std::size_t at = first; at < first + count; ++at) {
    const PackedRow& row = kPackedRows[at];
    Vars.*row.entry = toolkit::Utf8FromCp1252(texts + (language == 1 ? row.italian : row.english));
  }
}

}  // namespace

void FillConfiguration() {
  ConfigurationBlock& v = Vars;
  v.ShowPerLT = v.ShowPer14 = v.ShowPer2000 = v.ShowPer4 = v.ShowPerNT = v.ShowPer95 = false;
  if (v.ShowWindowsChoice) v.ShowPerNT = v.ShowPer95 = true;
  AssignLanguage<kWindowsFamilyTexts>(v.Language);

  if (v.ProductCode == 1 || v.ProductCode == 9) {
    v.ShowPerLT = false;
    v.ShowPer14 = true;
    v.ShowPer2000 = true;
    for (const auto& row : kProductTexts) v.*row.entry = toolkit::Utf8FromCp1252(row.value);
    v.BackgroundColor = toolkit::clNavy;
    v.ShowCadName = true;
    v.FooterColor = toolkit::clWhite;
    AssignLanguage<kProductLanguageTexts>(v.Language);
  }

  AssignLanguage<kInstallationTexts>(v.Language);

  v.OfferProgramGroup = true;
  v.ShowReadmeOnExit = true;
  for (const auto& row : kCommonTexts) v.*row.entry = toolkit::Utf8FromCp1252(row.value);
  AssignLanguage<kUnattendedTexts>(v.Language);
  AssignLanguage<kUninstallTexts>(v.Language);
  AssignLanguage<kWayBackTexts>(v.Language);
  AssignLanguage<kEveryAutoCadTexts>(v.Language);
  AssignLanguage<kAllUsersTexts>(v.Language);
  AssignLanguage<kRepairTexts>(v.Language);

  if (v.Language != 1) return;
  // CadName is in place by now: three of these texts are built around it.
  for (const auto& row : kItalianTexts) {
    std::string text = toolkit::Utf8FromCp1252(row.prefix);
    if (row.suffix != nullptr) text += v.CadName + toolkit::Utf8FromCp1252(row.suffix);
    v.*row.entry = text;
  }
}

std::string FormatMessage(const std::string& message, std::initializer_list<std::string> args) {
  std::string text = message;
  int number = 1;
  for (const std::string& arg : args) {
    const std::string mark = "%" + std::to_string(number++);
    for (std::size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + arg.size())) {
      text.replace(at, mark.size(), arg);
    }
  }
  return text;
}

}  // namespace config
