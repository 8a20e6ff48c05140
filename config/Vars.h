// The configuration block: every text, flag, colour and path that differs between product
// variants and interface languages, filled at start-up from built-in values. Plain process-wide
// state, read by name; what a run learns and changes as it goes is config::RunState. Every text
// is UTF-8.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "toolkit/Types.h"

namespace config {

struct ConfigurationBlock {
  // Start-up values that select what the fill writes.
  std::int32_t Language = 0;  // 1 Italian, 2 English
  std::uint8_t ProductCode = 0;
  bool ShowWindowsChoice = false;
  std::string SourceDir;  // the installer's own folder, without a final backslash

  // Product set.
  std::string ProductTitle;
  std::string ProductMark;
  std::string ProductName;
  std::string ProductVersion;  // as Add or Remove Programs shows it
  std::string Publisher;
  std::string CadName;
  bool ShowCadName = false;
  std::string DefaultCadFolder;
  std::string DestFolder;
  std::string CadVersions;
  toolkit::TColor BackgroundColor = 0;
  toolkit::TColor FooterColor = 0;
  bool ShowPer14 = false;
  bool ShowPer2000 = false;
  bool ShowPerLT = false;
  bool ShowPer4 = false;
  std::string CaptionPer14;
  std::string CaptionPer2000;
  std::string CaptionPerLT;
  std::string CaptionPer4;
  std::string BackgroundTitle;

  // Windows-family set.
  bool ShowPerNT = false;
  bool ShowPer95 = false;
  std::string CaptionPerNT;
  std::string CaptionPer95;
  std::string MsgRebootNotice;

  // Common set.
  bool OfferProgramGroup = false;
  std::string GroupName;
  std::string GroupItemFile;
  std::string GroupItemName;
  bool ShowReadmeOnExit = false;
  std::string ReadmeFileName;
  // The start's boxes about INSTALL.DLL, the same in every language.
  std::string MsgLibraryNotFound;      // the library is missing or cannot be loaded
  std::string MsgLibraryEntryMissing;  // one of its entry points is missing

  // Italian set.
  std::string MsgCadFolderMissing;
  std::string MsgSuccess;
  std::string CadFolderLabel;
  std::string DestFolderLabel;
  std::string CadFolderHint;
  std::string DestFolderHint;
  std::string MsgAskGroup;
  std::string InstallHeading;
  std::string MsgGroupFailed;
  std::string MsgItemFailed;
  std::string MsgCopying;
  std::string MsgCopyDone;
  std::string InstallButtonCaption;
  std::string ExitButtonCaption;
  std::string MsgInsertDisk;
  std::string MsgConfirmAbandon;

  // What the installer says when it cannot install, in both languages. "%1", "%2", "%3" stand
  // for the texts FormatMessage puts in.
  std::string MsgLibraryMissing;        // INSTALL.DLL missing or not a library
  std::string MsgNoAcadProfile;         // no AutoCAD profile for this user
  std::string MsgSupportFolderMissing;  // %1: the profile's support folder
  std::string MsgPackageUnreadable;     // %1: the package
  std::string MsgNoRoom;                // %1: the destination, %2: MB needed, %3: MB free
  std::string MsgDestinationIsFile;     // %1: the path
  std::string MsgFileNotInPackage;      // %1: the package, %2: the file
  std::string MsgPackageIncomplete;     // %1: the package, %2: the number of files not written
  std::string MsgPackageDamaged;        // %1: the package, %2: the first file that fails its CRC
  std::string MsgFileNameRefused;       // %1: the package, %2: the file name refused
  std::string MsgPathTooLong;           // %1: a path longer than the unzip library takes
  std::string MsgNothingChanged;        // after a failure that was undone
  std::string MsgNotUndone;             // followed by the paths that could not be put back
  std::string MsgCloseAutoCad;          // AutoCAD runs: close it, then Retry, or Cancel
  std::string MsgAutoCadRunning;        // the log's reason when a run stopped beside AutoCAD

  // Unattended set: the command line's usage and errors, and the log's wording. Italian with
  // Language 1, English with 2, empty otherwise, for every product code.
  std::string UsageText;
  std::string MsgBadCommandLine;
  std::string MsgAnotherInstallation;
  std::string LogStarted;
  std::string LogOptions;
  std::string LogNoOptions;
  std::string LogCadFolder;
  std::string LogCadFolderOnly;        // %1: the folder, %2: its release and product
  std::string LogCadFolderNewest;      // %1, %2 as above, %3: how many are installed
  std::string LogCadFolderGone;        // %1: a release and product, %2: its missing folder
  std::string LogCadFolderConfigured;  // no registered folder exists: the configured one
  std::string LogCadRelease;
  std::string LogWindowsFamily;
  std::string LogGroupChoice;
  std::string LogGroupAsked;
  std::string LogYes;
  std::string LogNo;
  std::string LogSupportFolder;
  std::string LogRegistrySupportFolder;
  std::string LogLispPatched;
  std::string LogLispNotPatched;
  std::string LogFilePatched;
  std::string LogAlreadyPatched;
  std::string LogBackup;
  std::string LogFileNotOpened;
  std::string LogExtracted;
  std::string LogFiles;
  std::string LogPackageMissing;
  std::string LogGroupCommandSent;
  std::string LogGroupCommandFailed;
  std::string LogMessage;
  std::string LogQuestion;
  std::string LogError;
  std::string LogExitCode;

  // Uninstallation set: the question, the closing report and the log's words, Italian with
  // Language 1, English with 2.
  std::string MsgConfirmUninstall;
  std::string MsgUninstalled;
  std::string MsgUninstallIncomplete;   // a failure: running the uninstaller again finishes it
  std::string MsgLeftInPlace;           // followed by each thing left, with its reason
  std::string MsgNoRecord;              // %1: the destination
  std::string LogUninstallStartedFrom;  // its log's first line, where LogStarted is an install's
  std::string LogUninstallStarted;      // followed by the destination being removed
  std::string LogRemoved;
  std::string LogLinesRemoved;
  std::string LogLeft;
  std::string ReasonChanged;
  std::string ReasonNotEmpty;
  std::string ReasonLinesGone;
  std::string ReasonMissing;
  std::string ReasonNotOpened;

  // The way back's set: what the installation and the uninstallation say of the journal and of
  // the records they do not act on, Italian with Language 1, English with 2.
  std::string MsgJournalBlocksInstall;  // %1: the journal, %2: what is wrong with it
  std::string MsgJournalBlocksRemoval;  // %1: the journal, %2: what is wrong with it
  std::string ReasonJournalUnreadable;
  std::string ReasonJournalNewer;
  std::string ReasonJournalTooLarge;
  std::string ReasonJournalDamaged;
  std::string MsgJournalUnreadable;  // %1: the journal (a run that meets it anyway)
  std::string MsgRecordsRefused;     // followed by each record not acted on
  std::string MsgRecordIncomplete;   // %1: the journal
  std::string ReasonOutsideProduct;
  std::string ReasonNotOnRecord;  // a file left because the record ends early
  std::string LogRestored;
  std::string LogNothingToAdd;
  std::string LogRefused;
  std::string LogFolderNotProtected;
  std::string ReasonLink;            // a path that is, or goes through, a link: not followed
  std::string MsgUninstallLeftSome;  // not all went, and running again would change nothing
  std::string MsgRecordMissing;      // %1: the record's folder, %2: the destination
  std::string LogRecordMoved;        // %1: the earlier record; followed by where it is now
  std::string LogOwnBackupKept;      // %1: the user's file; followed by the backup's name taken
  std::string
      MsgSharedProductChanged;   // %1: the destination, %2: a product file missing or changed
  std::string MsgSharedProduct;  // %1: the destination another user installed into

  // Every AutoCAD's set: how the product loads in each, for the log, and what the closing report
  // says of an acaddoc.lsp that AutoCAD loads instead of the product's.
  std::string LogWayAcadDoc;
  std::string LogWayBundle;
  std::string LogWayTrusted;
  std::string LogWayNotStarted;
  std::string LogWayOlder;
  std::string LogWayLtOlder;
  std::string LogWayNotOpened;
  std::string LogWayAtLogon;

  // For every user's set: the rights an installation for every user needs, and the user's part.
  std::string MsgNeedsAdministrator;
  std::string MsgRemovalNeedsAdministrator;
  std::string MsgDestinationLinked;  // %1: the destination
  std::string LogUserPartStarted;
  std::string LogShadowed;         // %1: the file AutoCAD loads first
  std::string LogProjectAware;     // %1: the bundle's Contents folder
  std::string MsgAcadDocShadowed;  // %1: the product, %2: the file AutoCAD loads first
  // The closing box: a product never started (%1), one that will find the bundle (%2) untrusted
  // at its first start, one whose PROJECTAWARE makes its trusted paths read-only.
  std::string MsgNotStarted;
  std::string MsgNotStartedUntrusted;
  std::string MsgProjectAware;

  // The repair's set: its log's words and its closing report, Italian with Language 1, English
  // with 2.
  std::string LogRepairStartedFrom;  // its log's first line, where LogStarted is an install's
  std::string LogRepairOf;           // followed by the destination being repaired
  std::string LogMissingOrChanged;   // followed by a product file not as the record says
  std::string MsgRepairNothing;
  std::string MsgRepaired;           // followed by each thing made again
  std::string MsgRepairNeedsMedium;  // followed by each file missing or changed
  std::string MsgRepairFailed;       // followed by the error

  friend bool operator==(const ConfigurationBlock&, const ConfigurationBlock&) = default;
};

// The one block of the process.
extern ConfigurationBlock Vars;

// Writes every entry from the built-in values for the current Language, ProductCode and
// ShowWindowsChoice. Calling it again with the same three gives the same block.
void FillConfiguration();

// The message with "%1", "%2", ... replaced by the arguments in their order.
std::string FormatMessage(const std::string& message, std::initializer_list<std::string> args);

}  // namespace config
